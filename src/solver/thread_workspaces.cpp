#include "solver/thread_workspaces.hpp"

#include <omp.h>

#include <cassert>

namespace ef {

void ThreadWorkspaces::reserve_for_threads() {
    const std::size_t threads = static_cast<std::size_t>(omp_get_max_threads());
    if (spaces_.size() >= kRowGroup * threads) return;
    spaces_.reserve(kRowGroup * threads);
    while (spaces_.size() < kRowGroup * threads) spaces_.emplace_back(nx_);
    groups_.clear();
    for (RowWorkspace& w : spaces_) groups_.push_back(&w);
}

RowWorkspace& ThreadWorkspaces::local(int slot) {
    const std::size_t t = kRowGroup * static_cast<std::size_t>(omp_get_thread_num()) +
                          static_cast<std::size_t>(slot);
    assert(t < spaces_.size());
    return spaces_[t];
}

RowWorkspace* const* ThreadWorkspaces::local_group() {
    const std::size_t t = kRowGroup * static_cast<std::size_t>(omp_get_thread_num());
    assert(t + kRowGroup <= groups_.size());
    return groups_.data() + t;
}

}  // namespace ef
