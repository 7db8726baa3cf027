// The nested-dissection ordering is a permutation of the unknowns whatever
// the pattern: runs of twins (unknowns with the same neighbours) stay
// together, a pattern without twins is ordered unknown by unknown, and the
// same pattern always gets the same order.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <vector>

#include "solver/nested_dissection.hpp"

namespace {

// The lower triangle of a k x k grid graph (five-point stencil); with
// `twins`, each grid point carries two unknowns coupled to each other and to
// both unknowns of every neighbour.
ef::CoordinateSystem grid_pattern(int k, bool twins) {
    const int per_point = twins ? 2 : 1;
    ef::CoordinateSystem s;
    s.n = k * k * per_point;
    auto add = [&](int p, int q) {  // points p >= q
        for (int a = 0; a < per_point; ++a)
            for (int b = 0; b < per_point; ++b) {
                const int r = p * per_point + a, c = q * per_point + b;
                if (r >= c) {
                    s.row.push_back(r + 1);
                    s.column.push_back(c + 1);
                }
            }
    };
    for (int y = 0; y < k; ++y)
        for (int x = 0; x < k; ++x) {
            const int p = y * k + x;
            add(p, p);
            if (x > 0) add(p, p - 1);
            if (y > 0) add(p, p - k);
        }
    return s;
}

TEST(NestedDissection, GivesAPermutationThatKeepsTwinsTogether) {
    for (const bool twins : {false, true}) {
        const ef::CoordinateSystem s = grid_pattern(20, twins);
        const auto order = ef::nested_dissection_order(s);
        ASSERT_TRUE(order.has_value());
        std::vector<int> sorted = *order;
        std::sort(sorted.begin(), sorted.end());
        std::vector<int> expected(static_cast<std::size_t>(s.n));
        std::iota(expected.begin(), expected.end(), 1);
        EXPECT_EQ(sorted, expected);
        if (twins) {
            for (std::size_t v = 0; v < order->size(); v += 2)
                EXPECT_EQ((*order)[v + 1], (*order)[v] + 1) << v;
        }
        EXPECT_EQ(ef::nested_dissection_order(s), order);
    }
    EXPECT_FALSE(ef::nested_dissection_order(grid_pattern(3, true)).has_value());  // too small
}

}  // namespace
