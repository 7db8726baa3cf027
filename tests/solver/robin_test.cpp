// Robin coefficients: impedances of homogeneous media, the low-frequency
// boost, and the agreement of the two sides of every interior edge.
#include <gtest/gtest.h>

#include <cmath>

#include "solver/robin.hpp"
#include "solver_fixtures.hpp"

namespace {

using ef::Complex;
using ef::Grid2;
using ef::RobinCoefficients;

struct Medium {
    Grid2<double> rho;
    Grid2<Complex> xln, xmu;
};

Medium homogeneous(int nx, int ny, double rho, Complex lambda, Complex mu) {
    return {Grid2<double>(nx, ny, rho), Grid2<Complex>(nx, ny, lambda), Grid2<Complex>(nx, ny, mu)};
}

std::vector<Grid2<Complex>*> all(RobinCoefficients& b) {
    return {&b.beta11b, &b.beta11l, &b.beta11r, &b.beta11t,
            &b.beta22b, &b.beta22l, &b.beta22r, &b.beta22t};
}

TEST(Robin, HomogeneousElasticMediumGivesItsImpedance) {
    const int nx = 4, ny = 3;
    const double rho = 2200.0, lambda = 9000.0, mu = 7000.0, omega = 0.45;
    Medium m = homogeneous(nx, ny, rho, {lambda, 0.0}, {mu, 0.0});
    RobinCoefficients b(nx, ny);
    ef::inbeta(nx, ny, omega, m.rho, m.xln, m.xmu, 9, b);
    const double vp = std::sqrt((lambda + 2.0 * mu) / rho), vs = std::sqrt(mu / rho);
    for (int j = 1; j <= ny; ++j)
        for (int i = 1; i <= nx; ++i) {
            for (const Grid2<Complex>* g : {&b.beta11b, &b.beta11l, &b.beta11r, &b.beta11t}) {
                EXPECT_EQ((*g)(i, j).re, 0.0);
                EXPECT_DOUBLE_EQ((*g)(i, j).im, omega * rho * vp);
            }
            for (const Grid2<Complex>* g : {&b.beta22b, &b.beta22l, &b.beta22r, &b.beta22t}) {
                EXPECT_EQ((*g)(i, j).re, 0.0);
                EXPECT_DOUBLE_EQ((*g)(i, j).im, omega * rho * vs);
            }
        }
}

TEST(Robin, AttenuationUsesThePhaseVelocity) {
    // complex moduli: v = 1 / Re(1 / sqrt(M / rho))
    const Complex lambda{9000.0, 900.0}, mu{7000.0, 350.0};
    Medium m = homogeneous(1, 1, 2000.0, lambda, mu);
    RobinCoefficients b(1, 1);
    ef::inbeta(1, 1, 1.0, m.rho, m.xln, m.xmu, 6, b);
    const ef::test::cd cp = std::sqrt(ef::test::cd(lambda.re + 2 * mu.re, lambda.im + 2 * mu.im) / 2000.0);
    const ef::test::cd cs = std::sqrt(ef::test::cd(mu.re, mu.im) / 2000.0);
    EXPECT_NEAR(b.beta11t(1, 1).im, 2000.0 / (1.0 / cp).real(), 1e-9);
    EXPECT_NEAR(b.beta22b(1, 1).im, 2000.0 / (1.0 / cs).real(), 1e-9);
    EXPECT_GT(2000.0 / (1.0 / cp).real(), 2000.0 * cp.real());  // the phase velocity exceeds Re c
}

TEST(Robin, LowFrequencyNumbersAreBoostedTenfold) {
    const ef::test::GridProblem p = ef::test::make_problem(3, 3, 4u);
    RobinCoefficients b5(3, 3), b6(3, 3);
    ef::inbeta(3, 3, 0.8, p.el.rho, p.el.xln, p.el.xmu, 5, b5);
    ef::inbeta(3, 3, 0.8, p.el.rho, p.el.xln, p.el.xmu, 6, b6);
    auto g5 = all(b5), g6 = all(b6);
    for (std::size_t a = 0; a < g5.size(); ++a)
        for (int j = 1; j <= 3; ++j)
            for (int i = 1; i <= 3; ++i) EXPECT_DOUBLE_EQ((*g5[a])(i, j).im, 10.0 * (*g6[a])(i, j).im);
}

TEST(Robin, ZeroFrequencyGivesZero) {
    const ef::test::GridProblem p = ef::test::make_problem(3, 2, 8u);
    RobinCoefficients b(3, 2);
    ef::inbeta(3, 2, 0.0, p.el.rho, p.el.xln, p.el.xmu, 2, b);
    for (Grid2<Complex>* g : all(b))
        for (int j = 1; j <= 2; ++j)
            for (int i = 1; i <= 3; ++i) EXPECT_EQ((*g)(i, j), Complex{});
}

TEST(Robin, BothSidesOfAnEdgeAgreeAndTheRingIsUntouched) {
    const int nx = 5, ny = 4;
    const ef::test::GridProblem p = ef::test::make_problem(nx, ny, 21u);
    RobinCoefficients b(nx, ny);
    const Complex sentinel{-7.0, 3.0};
    for (Grid2<Complex>* g : all(b)) g->fill(sentinel);
    ef::inbeta(nx, ny, 0.6, p.el.rho, p.el.xln, p.el.xmu, 12, b);
    for (int j = 1; j <= ny; ++j)
        for (int i = 1; i < nx; ++i) {
            EXPECT_EQ(b.beta11r(i, j), b.beta11l(i + 1, j));
            EXPECT_EQ(b.beta22r(i, j), b.beta22l(i + 1, j));
        }
    for (int j = 1; j < ny; ++j)
        for (int i = 1; i <= nx; ++i) {
            EXPECT_EQ(b.beta11t(i, j), b.beta11b(i, j + 1));
            EXPECT_EQ(b.beta22t(i, j), b.beta22b(i, j + 1));
        }
    // heterogeneous medium: neighbouring edges differ, outer sides use the ring
    EXPECT_NE(b.beta11l(2, 2), b.beta11r(2, 2));
    EXPECT_NE(b.beta11l(1, 1), sentinel);
    for (Grid2<Complex>* g : all(b))
        for (int j = 0; j <= ny + 1; ++j)
            for (int i = 0; i <= nx + 1; ++i) {
                const bool ring = i == 0 || j == 0 || i == nx + 1 || j == ny + 1;
                if (ring) EXPECT_EQ((*g)(i, j), sentinel);
                else EXPECT_NE((*g)(i, j), sentinel);
            }
}

TEST(Robin, EmptyGridWritesNothing) {
    Medium m = homogeneous(0, 2, 2000.0, {9000.0, 0.0}, {7000.0, 0.0});
    RobinCoefficients b(0, 2);
    for (Grid2<Complex>* g : all(b)) g->fill({1.0, 1.0});
    ef::inbeta(0, 2, 0.5, m.rho, m.xln, m.xmu, 3, b);
    for (Grid2<Complex>* g : all(b))
        for (std::size_t k = 0; k < g->size(); ++k) EXPECT_EQ(g->data()[k], (Complex{1.0, 1.0}));
}

}  // namespace
