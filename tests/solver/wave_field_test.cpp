// The field a solve hands on: its element basis against the edge midpoints
// and the centre, the small-value cut-off, and the finiteness check.
#include "solver/wave_field.hpp"

#include <cmath>
#include <limits>
#include <random>

#include <gtest/gtest.h>

namespace ef {
namespace {

const Edge kEdges[4] = {Edge::left, Edge::top, Edge::bottom, Edge::right};

WaveField random_field(int nx, int ny, unsigned seed) {
    std::mt19937 gen(seed);
    std::uniform_real_distribution<double> u(-1.0, 1.0);
    WaveField f(nx, ny);
    for (int c = 1; c <= 2; ++c)
        for (Edge e : kEdges)
            for (int j = 0; j <= ny + 1; ++j)
                for (int i = 0; i <= nx + 1; ++i) f.trace(c, e, i, j) = {u(gen), u(gen)};
    return f;
}

TEST(WaveField, BasisGivesTheEdgeValuesAtTheMidpointsAndTheMeanAtTheCentre) {
    const WaveField f = random_field(2, 2, 3u);
    const struct {
        Edge edge;
        double x, y;
    } midpoints[4] = {{Edge::left, -1.0, 0.0}, {Edge::top, 0.0, 1.0},
                      {Edge::bottom, 0.0, -1.0}, {Edge::right, 1.0, 0.0}};
    for (int c = 1; c <= 2; ++c)
        for (int j = 1; j <= 2; ++j)
            for (int i = 1; i <= 2; ++i) {
                for (const auto& m : midpoints) {
                    const Complex got = f.at(c, i, j, m.x, m.y);
                    const Complex want = f.trace(c, m.edge, i, j);
                    EXPECT_NEAR(got.re, want.re, 1e-15);
                    EXPECT_NEAR(got.im, want.im, 1e-15);
                }
                // the centre to the last bit, before the small-value cut-off
                const Complex centre = f.at(c, i, j, 0.0, 0.0);
                const Complex mean = f.centre_mean(c, i, j);
                EXPECT_EQ(centre.re, mean.re);
                EXPECT_EQ(centre.im, mean.im);
            }
    // The basis reproduces a linear field: u = x + 2y from the four midpoint values.
    WaveField linear(1, 1);
    linear.trace(1, Edge::left, 1, 1) = {-1.0, 0.0};
    linear.trace(1, Edge::right, 1, 1) = {1.0, 0.0};
    linear.trace(1, Edge::bottom, 1, 1) = {-2.0, 0.0};
    linear.trace(1, Edge::top, 1, 1) = {2.0, 0.0};
    EXPECT_NEAR(linear.at(1, 1, 1, 0.3, -0.7).re, 0.3 - 1.4, 1e-15);
}

TEST(WaveField, PointsOfTheGridFindTheirElement) {
    const WaveField f = random_field(3, 2, 5u);
    const double h = 10.0;
    // element (2, 2) covers 10 <= x <= 20, 10 <= y <= 20
    const Complex inside = f.at_point(2, 12.5, 17.5, h);
    const Complex want = f.at(2, 2, 2, -0.5, 0.5);
    EXPECT_NEAR(inside.re, want.re, 1e-15);
    EXPECT_NEAR(inside.im, want.im, 1e-15);
    // the midpoint of the right edge of element (3, 1), the grid's corner column
    const Complex edge = f.at_point(1, 30.0, 5.0, h);
    EXPECT_NEAR(edge.re, f.trace(1, Edge::right, 3, 1).re, 1e-14);
}

TEST(WaveField, CentreDropsOnlyValuesBelowTheCutOff) {
    WaveField f(1, 1);
    f.trace(2, Edge::top, 1, 1) = {4.0 * 9.9999998e-15, 0.0};
    EXPECT_TRUE(f.centre(2, 1, 1) == Complex{});
    EXPECT_EQ(f.centre_mean(2, 1, 1).re, 9.9999998e-15);
}

TEST(WaveField, AnyNonFiniteTraceAnywhereIsFound) {
    EXPECT_TRUE(WaveField(3, 2).finite());
    // The ring (receivers of column nx + 1 read it), real and imaginary parts.
    WaveField ring(3, 2);
    ring.trace(2, Edge::top, 4, 3) = {0.0, std::numeric_limits<double>::quiet_NaN()};
    EXPECT_FALSE(ring.finite());
    WaveField interior(3, 2);
    interior.trace(1, Edge::right, 1, 1) = {-std::numeric_limits<double>::infinity(), 0.0};
    EXPECT_FALSE(interior.finite());
}

}  // namespace
}  // namespace ef
