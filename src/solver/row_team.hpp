// A team of threads that stays together for the whole outer iteration of one
// frequency and shares out the rows of each step.
//
// Thread 0 runs the iteration itself; for each step it publishes a number of
// independent items (pairs of rows, rows) and works on them too, while the
// other threads of the team take whatever items are left. A step is over when
// every item is done, not when every thread has checked in: a thread that the
// machine's other work keeps from running holds nothing up unless it is in
// the middle of an item. Which thread does an item never changes a result.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>

namespace ef {

class RowTeam {
public:
    using Item = std::function<void(int)>;

    // Runs control(team) on thread 0 of an OpenMP team (of one thread when
    // `parallel` is false); the other threads serve its steps until it returns.
    static void run(bool parallel, const std::function<void(RowTeam&)>& control);

    // item(k) for k = 0 .. count - 1, each exactly once, on the threads of the
    // team, claimed in increasing k (so an item may wait for an earlier one);
    // returns when all are done (called by thread 0 only).
    void for_items(int count, const Item& item);

    // for_items in two halves, so that thread 0 can do something else while
    // the other threads start on the items: start_items publishes them (item
    // must live until finish_items returns), finish_items has thread 0 take
    // whatever items are left and returns when all are done.
    void start_items(int count, const Item& item);
    void finish_items();

    // Number of threads of the team.
    int size() const { return size_; }

private:
    RowTeam() = default;
    void work(std::uint64_t generation);
    void serve();
    void stop();

    // (generation, item count, next item) in one word, so that a thread can
    // claim an item only of the step it has seen published
    std::atomic<std::uint64_t> claim_{0};
    std::atomic<int> done_{0};
    const Item* item_ = nullptr;
    int size_ = 1;
    std::uint64_t generation_ = 0;
    int count_ = 0;  // items of the step in hand
};

}  // namespace ef
