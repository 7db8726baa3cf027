// The grid's nested dissection is a permutation of the unknowns for every
// shape of grid, the thinnest and the smallest included, with the two
// components of an edge side by side and the middle cut of the grid last.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <vector>

#include "solver/grid_dissection.hpp"

namespace {

TEST(GridDissection, OrdersEveryUnknownOnceWithTheMiddleCutLast) {
    for (const auto& [nx, ny] : {std::pair{1, 1}, {1, 7}, {9, 1}, {2, 2}, {12, 9}, {5, 31}}) {
        const ef::EdgeNumbering numbering(nx, ny);
        const std::vector<int> order = ef::grid_dissection_order(numbering);
        std::vector<int> sorted = order;
        std::sort(sorted.begin(), sorted.end());
        std::vector<int> expected(static_cast<std::size_t>(numbering.unknowns()));
        std::iota(expected.begin(), expected.end(), 1);
        ASSERT_EQ(sorted, expected) << nx << " x " << ny;
        for (std::size_t v = 0; v < order.size(); v += 2) ASSERT_EQ(order[v + 1], order[v] + 1);
    }
    // 12 x 9 is cut first between columns 6 and 7: the vertical edges
    // (6, j) take the last 2 * 9 positions.
    const ef::EdgeNumbering numbering(12, 9);
    const std::vector<int> order = ef::grid_dissection_order(numbering);
    for (int j = 1; j <= 9; ++j)
        EXPECT_GT(order[static_cast<std::size_t>(2 * numbering.vertical(6, j))], numbering.unknowns() - 18) << j;
}

}  // namespace
