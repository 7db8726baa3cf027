// The closed-form element matrices against the integrals of the element's
// basis functions, evaluated by Gauss quadrature, and their physical kernel.
#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "solver/element_matrix.hpp"

namespace {

using ef::Complex;

// theta(t) = t^2 - (5/3) t^4 and its derivative
double theta(double t) { return t * t - 5.0 / 3.0 * t * t * t * t; }
double dtheta(double t) { return 2.0 * t - 20.0 / 3.0 * t * t * t; }

// Scalar basis on [-1, 1]^2 for the edges L, T, B, R, with its gradient.
struct Basis {
    double value;
    double dx, dy;
};

Basis basis(int edge, double x, double y) {
    const double bubble = theta(x) - theta(y);
    const double bx = dtheta(x), by = -dtheta(y);
    switch (edge) {
        case 0: return {0.25 - x / 2 - 0.375 * bubble, -0.5 - 0.375 * bx, -0.375 * by};  // left
        case 1: return {0.25 + y / 2 + 0.375 * bubble, 0.375 * bx, 0.5 + 0.375 * by};    // top
        case 2: return {0.25 - y / 2 + 0.375 * bubble, 0.375 * bx, -0.5 + 0.375 * by};   // bottom
        default: return {0.25 + x / 2 - 0.375 * bubble, 0.5 - 0.375 * bx, -0.375 * by};  // right
    }
}

// Dof k (0-based, order u1 L, u2 L, u1 T, u2 T, u1 B, u2 B, u1 R, u2 R):
// scalar function k / 2 times unit vector k % 2.
struct Reference {
    double lam[8][8]{}, mu[8][8]{}, mass[8][8]{};
};

Reference integrate() {
    // 5-point Gauss-Legendre: exact for the degree-8 products
    const double g[5] = {0.0, -0.5384693101056831, 0.5384693101056831, -0.9061798459386640,
                         0.9061798459386640};
    const double w[5] = {0.5688888888888889, 0.4786286704993665, 0.4786286704993665,
                         0.2369268850561891, 0.2369268850561891};
    Reference ref;
    for (int a = 0; a < 5; ++a) {
        for (int b = 0; b < 5; ++b) {
            const double wt = w[a] * w[b];
            for (int k = 0; k < 8; ++k) {
                const Basis p = basis(k / 2, g[a], g[b]);
                const int ck = k % 2;
                // gradient matrix of u = phi e_ck: G(row comp, col deriv)
                double gu[2][2] = {};
                gu[ck][0] = p.dx;
                gu[ck][1] = p.dy;
                for (int m = 0; m < 8; ++m) {
                    const Basis q = basis(m / 2, g[a], g[b]);
                    const int cm = m % 2;
                    double gv[2][2] = {};
                    gv[cm][0] = q.dx;
                    gv[cm][1] = q.dy;
                    const double div = (gu[0][0] + gu[1][1]) * (gv[0][0] + gv[1][1]);
                    double strain = 0.0;
                    for (int r = 0; r < 2; ++r)
                        for (int c = 0; c < 2; ++c)
                            strain += 0.5 * (gu[r][c] + gu[c][r]) * 0.5 * (gv[r][c] + gv[c][r]);
                    ref.lam[k][m] += wt * div;
                    ref.mu[k][m] += wt * 2.0 * strain;
                    // unit square: a quarter of the reference area
                    if (ck == cm) ref.mass[k][m] += wt * 0.25 * p.value * q.value;
                }
            }
        }
    }
    return ref;
}

TEST(ElementMatrix, MatchesTheIntegralsOfTheBasis) {
    const Reference ref = integrate();
    const Complex lambda{7300.0, 140.0}, mu{5100.0, -60.0};
    const double omega = 0.7, rho = 2100.0, h = 4.0;
    const double fac = omega * omega * rho * h * h;
    const ef::ElementMatrix e = ef::stiffness_minus_mass(lambda, mu, omega, rho, h);
    for (int k = 0; k < 8; ++k) {
        for (int m = 0; m < 8; ++m) {
            const double re = ref.lam[k][m] * lambda.re + ref.mu[k][m] * mu.re - ref.mass[k][m] * fac;
            const double im = ref.lam[k][m] * lambda.im + ref.mu[k][m] * mu.im;
            EXPECT_NEAR(e[k][m].re, re, 1e-11 * 2e4) << k << "," << m;
            EXPECT_NEAR(e[k][m].im, im, 1e-11 * 2e4) << k << "," << m;
            EXPECT_NEAR(ef::mass_pattern(k + 1, m + 1), 5040.0 * ref.mass[k][m], 1e-9);
        }
    }
}

TEST(ElementMatrix, SymmetricWithMassRowsOfAQuarter) {
    const Complex lambda{1.25e4, 310.0}, mu{6.5e3, 77.0};
    const ef::ElementMatrix e = ef::stiffness_minus_mass(lambda, mu, 0.9, 1950.0, 3.0);
    for (int k = 0; k < 8; ++k)
        for (int m = 0; m < 8; ++m) {
            EXPECT_EQ(e[k][m].re, e[m][k].re);
            EXPECT_EQ(e[k][m].im, e[m][k].im);
        }
    // each mass row sums to 1260 / 5040 of the unit-square area times the
    // constant: the basis functions sum to one
    for (int k = 1; k <= 8; ++k) {
        double sum = 0.0;
        for (int m = 1; m <= 8; ++m) sum += ef::mass_pattern(k, m);
        EXPECT_EQ(sum, 1260.0);
    }
    // without the mass (omega = 0) the matrix is the stiffness: rigid
    // translations and the infinitesimal rotation carry no strain energy
    const ef::ElementMatrix k0 = ef::stiffness_minus_mass(lambda, mu, 0.0, 1950.0, 3.0);
    const std::array<std::array<double, 8>, 3> rigid = {{
        {1, 0, 1, 0, 1, 0, 1, 0},     // translation in x
        {0, 1, 0, 1, 0, 1, 0, 1},     // translation in y
        {0, -1, -1, 0, 1, 0, 0, 1},   // rotation (-y, x) at the edge midpoints
    }};
    for (const auto& r : rigid)
        for (int k = 0; k < 8; ++k) {
            double re = 0.0, im = 0.0;
            for (int m = 0; m < 8; ++m) {
                re += k0[k][m].re * r[m];
                im += k0[k][m].im * r[m];
            }
            EXPECT_NEAR(re, 0.0, 1e-10);
            EXPECT_NEAR(im, 0.0, 1e-12);
        }
}

TEST(ElementMatrix, EdgeTermsSeparateRobinAndAbsorption) {
    const Complex beta{0.0, 1800.0}, v{2.5, 0.0};
    // interface edge: the Robin term only
    const Complex robin = ef::edge_term(1.0, 4.0, 0.0, beta, 0.6, 2000.0, v);
    EXPECT_EQ(robin.re, 0.0);
    EXPECT_EQ(robin.im, 4.0 * 1800.0);
    // physical boundary: i omega h rho v, the Robin term dropped
    const Complex absorbing = ef::edge_term(1.0, 4.0, 1.0, beta, 0.6, 2000.0, v);
    EXPECT_EQ(absorbing.re, 0.0);
    EXPECT_DOUBLE_EQ(absorbing.im, 0.6 * 4.0 * 2000.0 * 2.5);
    // switched-off interior vertical edge: nothing
    const Complex none = ef::edge_term(0.0, 4.0, 0.0, beta, 0.6, 2000.0, v);
    EXPECT_EQ(none.re, 0.0);
    EXPECT_EQ(none.im, 0.0);
}

}  // namespace
