// The nested dissection of the grid itself: the rectangle of elements is cut
// across its longer side by the line of edges between its two halves, each
// half is cut again in the same way, and the edges of every cut are
// eliminated after those of the two halves it separates. Straight cuts are
// the smallest separators a grid has, so this ordering needs fewer operations
// and less memory than METIS's on the same system (bench/README.md), and it
// costs next to nothing to compute. It depends on the grid's dimensions
// alone.
#pragma once

#include <vector>

#include "solver/direct_solve.hpp"
#include "solver/global_system.hpp"

namespace ef {

// The pivot position (1-based) of each unknown of the grid's global system;
// the two components of an edge come one after the other.
std::vector<int> grid_dissection_order(const EdgeNumbering& numbering);

// The solver options of the environment (direct_options_from_environment)
// for the global system of this grid: its own dissection when the ordering
// asked for is the grid's.
DirectSolverOptions grid_solver_options(const EdgeNumbering& numbering);

}  // namespace ef
