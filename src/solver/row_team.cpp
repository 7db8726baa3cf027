#include "solver/row_team.hpp"

#include <omp.h>

#include <exception>
#include <thread>

namespace ef {

namespace {

// claim word: generation in bits 48..63, item count in 24..47, next item in 0..23
constexpr std::uint64_t kField = (std::uint64_t{1} << 24) - 1;
constexpr std::uint64_t kStop = kField;  // item count that ends the team's work

std::uint64_t pack(std::uint64_t generation, std::uint64_t count, std::uint64_t next) {
    return (generation << 48) | ((count & kField) << 24) | (next & kField);
}
std::uint64_t generation_of(std::uint64_t v) { return v >> 48; }
std::uint64_t count_of(std::uint64_t v) { return (v >> 24) & kField; }
std::uint64_t next_of(std::uint64_t v) { return v & kField; }

// Waiting: a short spin, then leave the core to whatever else wants it.
void pause(int& spins) {
    if (++spins < 64) return;
    spins = 0;
    std::this_thread::yield();
}

}  // namespace

void RowTeam::run(bool parallel, const std::function<void(RowTeam&)>& control) {
    RowTeam team;
    std::exception_ptr failure;  // an exception may not leave the parallel region
#pragma omp parallel if (parallel)
    {
        if (omp_get_thread_num() == 0) {
            team.size_ = omp_get_num_threads();
            try {
                control(team);
            } catch (...) {
                failure = std::current_exception();
            }
            team.stop();
        } else {
            team.serve();
        }
    }
    if (failure) std::rethrow_exception(failure);
}

void RowTeam::for_items(int count, const Item& item) {
    start_items(count, item);
    finish_items();
}

void RowTeam::start_items(int count, const Item& item) {
    count_ = count;
    if (count <= 0) return;
    item_ = &item;
    done_.store(0, std::memory_order_relaxed);
    generation_ = (generation_ + 1) & 0xFFFF;
    claim_.store(pack(generation_, static_cast<std::uint64_t>(count), 0), std::memory_order_release);
}

void RowTeam::finish_items() {
    if (count_ <= 0) return;
    work(generation_);
    int spins = 0;
    while (done_.load(std::memory_order_acquire) < count_) pause(spins);
    count_ = 0;
}

void RowTeam::work(std::uint64_t generation) {
    for (;;) {
        std::uint64_t v = claim_.load(std::memory_order_acquire);
        for (;;) {
            if (generation_of(v) != generation || count_of(v) == kStop || next_of(v) >= count_of(v))
                return;
            if (claim_.compare_exchange_weak(v, v + 1, std::memory_order_acq_rel,
                                             std::memory_order_acquire))
                break;
        }
        (*item_)(static_cast<int>(next_of(v)));
        done_.fetch_add(1, std::memory_order_release);
    }
}

void RowTeam::serve() {
    std::uint64_t seen = generation_of(claim_.load(std::memory_order_acquire));
    int spins = 0;
    for (;;) {
        const std::uint64_t v = claim_.load(std::memory_order_acquire);
        if (count_of(v) == kStop) return;
        if (generation_of(v) == seen) {
            pause(spins);
            continue;
        }
        seen = generation_of(v);
        work(seen);
    }
}

void RowTeam::stop() {
    generation_ = (generation_ + 1) & 0xFFFF;
    claim_.store(pack(generation_, kStop, 0), std::memory_order_release);
}

}  // namespace ef
