// Scratch of the row solves when rows run in parallel: kRowGroup
// RowWorkspaces per thread (rows are solved in groups), allocated once and
// reused for every row, iteration and frequency.
#pragma once

#include <vector>

#include "solver/row_system.hpp"

namespace ef {

class ThreadWorkspaces {
public:
    ThreadWorkspaces() = default;
    explicit ThreadWorkspaces(int nx) : nx_(nx) {}

    // Make sure a parallel region of the current thread count finds one
    // workspace per thread (called outside parallel regions).
    void reserve_for_threads();
    // Workspace slot (0 .. kRowGroup - 1) of the calling thread.
    RowWorkspace& local(int slot = 0);
    // All kRowGroup workspaces of the calling thread.
    RowWorkspace* const* local_group();

private:
    int nx_ = 0;
    std::vector<RowWorkspace> spaces_;
    std::vector<RowWorkspace*> groups_;  // kRowGroup pointers per thread
};

// Whether a loop over the rows of a grid of nx by rows elements is worth
// sharing out between threads: tiny grids are faster on one.
inline bool rows_in_parallel(int nx, int rows) { return nx * rows >= 512; }

}  // namespace ef
