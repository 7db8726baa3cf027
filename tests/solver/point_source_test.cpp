// Point source loads: only the element that holds the point is loaded, and a
// moment tensor is the limit of pairs of opposite forces (a dipole of forces
// A e_c at x0 + (d/2) e_l and -A e_c at x0 - (d/2) e_l is M_cl = A d).
#include <gtest/gtest.h>

#include <array>

#include "solver/point_source.hpp"

namespace {

using ef::Complex;

const double h = 10.0;
const Complex sour{0.7, -1.9};

std::array<Complex, 8> force_load(double x, double y, double fx, double fy) {
    const auto at = ef::locate_point(x, y, 8, 8, h);
    return ef::PointSourceTerm::force(*at, fx, fy).element_load(at->i, at->j, sour);
}

TEST(PointSource, OnlyTheHoldingElementIsLoadedWithTheBasisThere) {
    const auto at = ef::locate_point(34.0, 50.0, 8, 8, h);  // on an edge: element (4, 6)
    const ef::PointSourceTerm s = ef::PointSourceTerm::force(*at, 0.0, 3.0);
    EXPECT_EQ(s.i(), 4);
    EXPECT_EQ(s.j(), 6);
    for (const Complex l : s.element_load(4, 5, sour)) EXPECT_TRUE(l == Complex{});
    const std::array<Complex, 8> load = s.element_load(4, 6, sour);
    for (int k = 0; k < 8; ++k) {
        const double expected = k % 2 == 1 ? 3.0 * at->value[k / 2] : 0.0;
        EXPECT_NEAR(load[k].re, expected * sour.re, 1e-15) << k;
        EXPECT_NEAR(load[k].im, expected * sour.im, 1e-15) << k;
    }
}

TEST(PointSource, MomentTensorIsTheLimitOfForceDipoles) {
    const double x = 43.0, y = 27.5, d = 1e-5;
    const double mxx = 2.0, myy = -0.5, mxy = 1.3;
    const auto at = ef::locate_point(x, y, 8, 8, h);
    struct Case {
        ef::PointSourceTerm term;
        double m[2][2];
    };
    for (const Case& tc : {Case{ef::PointSourceTerm::moment(*at, mxx, myy, mxy), {{mxx, mxy}, {mxy, myy}}},
                           Case{ef::PointSourceTerm::explosion(*at, 1.5), {{1.5, 0.0}, {0.0, 1.5}}}}) {
        const auto& m = tc.m;
        std::array<Complex, 8> dipoles{};
        for (int c = 0; c < 2; ++c)
            for (int l = 0; l < 2; ++l) {
                const double ex = l == 0 ? d / 2 : 0.0, ey = l == 1 ? d / 2 : 0.0;
                const double a = m[c][l] / d;
                const auto plus = force_load(x + ex, y + ey, c == 0 ? a : 0.0, c == 1 ? a : 0.0);
                const auto minus = force_load(x - ex, y - ey, c == 0 ? a : 0.0, c == 1 ? a : 0.0);
                for (int k = 0; k < 8; ++k) dipoles[k] += plus[k] - minus[k];
            }
        const std::array<Complex, 8> load = tc.term.element_load(at->i, at->j, sour);
        for (int k = 0; k < 8; ++k) {
            EXPECT_NEAR(load[k].re, dipoles[k].re, 1e-7) << k;
            EXPECT_NEAR(load[k].im, dipoles[k].im, 1e-7) << k;
        }
    }
}

}  // namespace
