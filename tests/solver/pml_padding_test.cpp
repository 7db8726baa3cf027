// The padded grid: layer elements copy the nearest model element, the depth
// into the layer counts from the model outwards, a point on the model's edge
// stays in the model, and a free top neither grows a layer nor absorbs.
#include <gtest/gtest.h>

#include "solver/pml_padding.hpp"

namespace {

TEST(PmlPadding, LayerCopiesTheNearestModelElementUnderAFreeTop) {
    const ef::PaddedGrid g(6, 4, 3, ef::AbsorbingSides{true, true, true, false});
    EXPECT_EQ(g.nx(), 12);
    EXPECT_EQ(g.ny(), 7);
    EXPECT_EQ(g.model_element(1, 1), (std::pair{1, 1}));    // bottom-left corner of the layer
    EXPECT_EQ(g.model_element(12, 7), (std::pair{6, 4}));   // top right: the model's top row
    EXPECT_EQ(g.model_element(5, 6), (std::pair{2, 3}));    // inside
    EXPECT_EQ(g.depth_x(1), 3);
    EXPECT_EQ(g.depth_x(4), 0);
    EXPECT_EQ(g.depth_x(9), 0);
    EXPECT_EQ(g.depth_x(10), 1);
    EXPECT_EQ(g.depth_y(3), 1);
    EXPECT_EQ(g.depth_y(7), 0);  // the top row is the model's
    EXPECT_TRUE(g.absorbs_left(1) && g.absorbs_right(12) && g.absorbs_bottom(1));
    EXPECT_FALSE(g.absorbs_top(7));
    // the model's right edge and top edge belong to the model's elements
    const auto corner = g.locate(60.0, 40.0, 10.0);
    ASSERT_TRUE(corner);
    EXPECT_EQ(corner->i, 9);
    EXPECT_EQ(corner->j, 7);
    EXPECT_EQ(corner->xi, 1.0);
    EXPECT_FALSE(g.locate(60.5, 40.0, 10.0));  // the layer is not part of the model
}

}  // namespace
