// A nested-dissection ordering of a sparse symmetric pattern, computed by
// METIS: the graph is split by small separators, recursively, and the
// separators are eliminated last. On the two-dimensional grids of this
// program it gives the least fill and the fewest operations of the orderings
// tried (bench/README.md).
#pragma once

#include <optional>
#include <vector>

#include "solver/global_system.hpp"

namespace ef {

// The pivot position (1-based, as MUMPS takes it in PERM_IN) of each of the
// n unknowns of `pattern`, whose lower triangle it holds. METIS starts from
// a fixed seed, so the ordering depends on the pattern alone, never on the
// machine's load or the run. Empty where a nested dissection has nothing to
// cut (fewer than kMinimumUnknowns unknowns) or METIS fails: the caller then
// orders by itself.
std::optional<std::vector<int>> nested_dissection_order(const CoordinateSystem& pattern);

// Below this many unknowns (a grid of a few elements) a nested dissection
// buys nothing over a minimum-degree ordering.
inline constexpr int kMinimumNestedDissectionUnknowns = 64;

}  // namespace ef
