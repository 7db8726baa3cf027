#include "solver/thread_workspaces.hpp"

#include <omp.h>

#include <cassert>

namespace ef {

void ThreadWorkspaces::reserve_for_threads() {
    const std::size_t threads = static_cast<std::size_t>(omp_get_max_threads());
    while (spaces_.size() < 2 * threads) spaces_.emplace_back(nx_);
}

RowWorkspace& ThreadWorkspaces::local(int slot) {
    const std::size_t t = 2 * static_cast<std::size_t>(omp_get_thread_num()) +
                          static_cast<std::size_t>(slot);
    assert(t < spaces_.size());
    return spaces_[t];
}

}  // namespace ef
