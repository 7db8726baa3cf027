// Point location with 32-bit block arithmetic, element ranges of regions and
// the local-to-global map.
#include <limits>

#include <gtest/gtest.h>

#include "model/geometry.hpp"
#include "model/int_trunc.hpp"

namespace ef {
namespace {

TEST(Geometry, TruncationIsDefinedForEveryReal) {
    EXPECT_EQ(int_trunc(-0.9), 0);
    EXPECT_EQ(int_trunc(-1.5), -1);
    EXPECT_EQ(int_trunc(2147483647.9), 2147483647);
    const std::int32_t indefinite = std::numeric_limits<std::int32_t>::min();
    EXPECT_EQ(int_trunc(2147483648.0), indefinite);
    EXPECT_EQ(int_trunc(std::numeric_limits<double>::infinity()), indefinite);
    EXPECT_EQ(int_trunc(std::numeric_limits<double>::quiet_NaN()), indefinite);
}

TEST(Geometry, LocateUsesTruncatingDivisionAndRemainder) {
    // Two by two blocks of 50 x 40 m, elements of 10 m.
    const BlockLayout b{2, 2, 50.0, 40.0, 10.0};
    // Lower-right block: k = (2 - 1 - 0)*2 + 1 = 3.
    LocalPosition at = locate(b, 75.0, 15.0);
    EXPECT_EQ(at.block, 3);
    EXPECT_EQ(at.i, 3);
    EXPECT_EQ(at.j, 2);
    // Upper-left block is number 0.
    at = locate(b, 5.0, 75.0);
    EXPECT_EQ(at.block, 0);
    EXPECT_EQ(at.i, 1);
    EXPECT_EQ(at.j, 4);
    // On the top edge the block number is negative: k = (1 - 2)*2 + 1 = -1,
    // -1 mod 2 = -1 and -1 div 2 = 0, so the column is shifted by one block.
    at = locate(b, 60.0, 80.0);
    EXPECT_EQ(at.block, -1);
    EXPECT_EQ(at.i, int_trunc((60.0 + 50.0) / 10.0 + 1.0));
    EXPECT_EQ(at.j, int_trunc((80.0 - 40.0) / 10.0 + 1.0));
}

TEST(Geometry, MeshSizeTakesTheSmallerQuotient) {
    MeshSize m = mesh_size(1000.0, 500.0, 100, 40);
    EXPECT_EQ(m.h, 10.0);
    EXPECT_EQ(m.xsize, 1000.0);
    EXPECT_EQ(m.ysize, 400.0);
    m = mesh_size(300.0, 100.0, 10, 10);
    EXPECT_EQ(m.h, 10.0);
    EXPECT_EQ(m.xsize, 100.0);
}

TEST(Geometry, RegionRangeSelectsElementCentres) {
    ElementRange r = region_range(0.0, 20.0, 0.0, 80.0, 10.0, 10, 8);
    EXPECT_EQ(r.ixi, 1);
    EXPECT_EQ(r.ixf, 2);
    EXPECT_EQ(r.iyf, 8);
    r = region_range(0.0, 4.0, 0.0, 80.0, 10.0, 10, 8);
    EXPECT_EQ(r.ixf, 0);
    r = region_range(12.0, 14.0, 0.0, 80.0, 10.0, 10, 8);
    EXPECT_EQ(r.ixi, 2);
    EXPECT_EQ(r.ixf, 1);
    // Beyond the grid the last column and row are capped, the first are not.
    r = region_range(0.0, 500.0, 0.0, 500.0, 10.0, 10, 8);
    EXPECT_EQ(r.ixf, 10);
    EXPECT_EQ(r.iyf, 8);
    EXPECT_EQ(region_range(200.0, 300.0, 0.0, 80.0, 10.0, 10, 8).ixi, 21);
}

TEST(Geometry, LocalToGlobalAndBorderRing) {
    // hpx = nx*h: plain offsets; top block of two holds the upper rows.
    const BlockLayout b{2, 2, 50.0, 40.0, 10.0};
    EXPECT_EQ(global_column(b, 1, 1), 6);
    EXPECT_EQ(global_column(b, 1, 6), 11);
    EXPECT_EQ(global_column(b, 0, 0), 0);
    EXPECT_EQ(global_row(b, 0, 1), 5);
    EXPECT_EQ(global_row(b, 1, 0), 0);

    Grid2<std::int32_t> m(3, 2);
    int v = 1;
    for (int j = 1; j <= 2; ++j)
        for (int i = 1; i <= 3; ++i) m(i, j) = v++;
    extend_border(m);
    EXPECT_EQ(m(0, 0), 1);
    EXPECT_EQ(m(4, 0), 3);
    EXPECT_EQ(m(0, 3), 4);
    EXPECT_EQ(m(4, 3), 6);
    EXPECT_EQ(m(2, 0), 2);
    EXPECT_EQ(m(4, 1), 3);
}

}  // namespace
}  // namespace ef
