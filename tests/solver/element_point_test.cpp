// The basis at a point: degrees of freedom at the edge midpoints, a partition
// of unity, gradients in metres, which element owns a point on an edge, and
// the field there from the element's reference coordinates.
#include <gtest/gtest.h>

#include <array>

#include "solver/element_point.hpp"
#include "solver/wave_field.hpp"

namespace {

TEST(ElementPoint, BasisIsNodalAtTheEdgeMidpointsAndSumsToOne) {
    const double mid[4][2] = {{-1, 0}, {0, 1}, {0, -1}, {1, 0}};  // L, T, B, R
    for (int e = 0; e < 4; ++e) {
        const ef::ReferenceBasis b = ef::reference_basis(mid[e][0], mid[e][1]);
        for (int a = 0; a < 4; ++a) EXPECT_NEAR(b.value[a], a == e ? 1.0 : 0.0, 1e-15) << e << "," << a;
    }
    for (const auto& [xi, eta] : {std::pair{0.3, -0.7}, {-0.95, 0.1}, {1.0, 1.0}}) {
        const ef::ReferenceBasis b = ef::reference_basis(xi, eta);
        EXPECT_NEAR(b.value[0] + b.value[1] + b.value[2] + b.value[3], 1.0, 1e-15);
        EXPECT_NEAR(b.d_xi[0] + b.d_xi[1] + b.d_xi[2] + b.d_xi[3], 0.0, 1e-15);
        EXPECT_NEAR(b.d_eta[0] + b.d_eta[1] + b.d_eta[2] + b.d_eta[3], 0.0, 1e-15);
    }
}

TEST(ElementPoint, GradientsInMetresMatchDifferences) {
    const double h = 12.5, d = 1e-4;
    const double x = 3 * h + 4.1, y = 7 * h + 9.3;  // inside element (4, 8)
    const auto p = ef::locate_point(x, y, 10, 10, h);
    ASSERT_TRUE(p);
    const auto px = ef::locate_point(x + d, y, 10, 10, h), mx = ef::locate_point(x - d, y, 10, 10, h);
    const auto py = ef::locate_point(x, y + d, 10, 10, h), my = ef::locate_point(x, y - d, 10, 10, h);
    for (int a = 0; a < 4; ++a) {
        EXPECT_NEAR(p->dx[a], (px->value[a] - mx->value[a]) / (2 * d), 1e-8) << a;
        EXPECT_NEAR(p->dy[a], (py->value[a] - my->value[a]) / (2 * d), 1e-8) << a;
    }
}

TEST(ElementPoint, EdgesBelongAboveAndRightExceptOnTheTopAndRight) {
    const double h = 10.0;
    struct Case {
        double x, y;
        int i, j;
        double xi, eta;
    };
    for (const Case& c : {Case{0.0, 0.0, 1, 1, -1, -1}, Case{20.0, 35.0, 3, 4, -1, 0},
                          Case{60.0, 40.0, 6, 4, 1, 1},  // top right corner of a 6 x 4 model
                          Case{0.1 * 3 * 100, 40.0 - 1e-12, 4, 4, -1, 1},  // 30.000000000000004, just under the top
                          Case{59.999999, 5.0, 6, 1, 0.9999998, 0}}) {
        const auto p = ef::locate_point(c.x, c.y, 6, 4, h);
        ASSERT_TRUE(p) << c.x << "," << c.y;
        EXPECT_EQ(p->i, c.i) << c.x;
        EXPECT_EQ(p->j, c.j) << c.y;
        EXPECT_NEAR(p->xi, c.xi, 1e-12) << c.x;
        EXPECT_NEAR(p->eta, c.eta, 1e-12) << c.y;
    }
    for (const auto& [x, y] : {std::pair{-0.001, 5.0}, {60.001, 5.0}, {5.0, 40.001}, {5.0, std::nan("")}})
        EXPECT_FALSE(ef::locate_point(x, y, 6, 4, h)) << x << "," << y;
}

TEST(ElementPoint, InterpolationIsExactForLinearFields) {
    // span{1, x, y} lies in the element: its midpoint values reproduce it
    const double h = 8.0;
    auto field = [](double x, double y, int c) { return c == 0 ? 2.0 + 0.3 * x - 0.1 * y : -1.0 + 0.05 * y; };
    const auto p = ef::locate_point(21.0, 3.5, 5, 5, h);  // element (3, 1): x in [16, 24], y in [0, 8]
    ASSERT_TRUE(p);
    const double mid[4][2] = {{16, 4}, {20, 8}, {20, 0}, {24, 4}};
    ef::WaveField u(5, 5);
    const ef::Edge edges[4] = {ef::Edge::left, ef::Edge::top, ef::Edge::bottom, ef::Edge::right};
    for (int a = 0; a < 4; ++a)
        for (int c = 0; c < 2; ++c) u.trace(c + 1, edges[a], 3, 1) = ef::Complex{field(mid[a][0], mid[a][1], c), 0.5};
    for (int c = 0; c < 2; ++c) EXPECT_NEAR(u.at(c + 1, p->i, p->j, p->xi, p->eta).re, field(21.0, 3.5, c), 1e-13) << c;
}

}  // namespace
