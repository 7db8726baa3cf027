// Block type and exterior-boundary indicators.
#include <gtest/gtest.h>

#include "model/boundary.hpp"

namespace ef {
namespace {

TEST(Boundary, SingleBlockHasAllFourSidesOnTheExterior) {
    ProcessGrid a1;
    subtype(a1);
    EXPECT_EQ(a1.itype, 9);

    BoundaryFlags flags;
    flags.deltal.assign(20, 7.0);  // stale contents are cleared
    setdelta(3, 2, a1, flags);
    EXPECT_EQ(flags.deltal, (std::vector<double>{0.0, 1.0, 0.0, 0.0}));
    EXPECT_EQ(flags.deltar, (std::vector<double>{0.0, 0.0, 0.0, 1.0}));
    EXPECT_EQ(flags.deltab, (std::vector<double>{0.0, 1.0, 0.0}));
    EXPECT_EQ(flags.deltat, (std::vector<double>{0.0, 0.0, 1.0}));

    // One column: its left and right sides are both exterior.
    setdelta(1, 1, a1, flags);
    EXPECT_EQ(flags.deltal, (std::vector<double>{0.0, 1.0}));
    EXPECT_EQ(flags.deltar, (std::vector<double>{0.0, 1.0}));

    // Another block type sets nothing.
    a1.itype = 0;
    setdelta(3, 2, a1, flags);
    EXPECT_EQ(flags.deltal, (std::vector<double>(4, 0.0)));
    EXPECT_EQ(flags.deltat, (std::vector<double>(3, 0.0)));
}

}  // namespace
}  // namespace ef
