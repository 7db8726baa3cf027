// The stretched element matrix: without stretching it is the closed-form
// element matrix; stretched by real factors a and b it is the element matrix
// of an (a h) x (b h) rectangle, integrated here by quadrature from the basis
// and the strain energy, with no derivative blocks involved.
#include <gtest/gtest.h>

#include <cmath>

#include "solver/element_point.hpp"
#include "solver/stretched_element.hpp"

namespace {

using ef::Complex;

const Complex lambda{7300.0, 140.0}, mu{5100.0, -60.0};

TEST(StretchedElement, UnitStretchIsTheSquareElement) {
    const double omega = 0.7, rho = 2100.0, h = 4.0;
    const ef::ElementMatrix square = ef::stiffness_minus_mass(lambda, mu, omega, rho, h);
    const ef::ElementMatrix stretched =
        ef::stretched_element_matrix(lambda, mu, omega, rho, h, Complex{1.0, 0.0}, Complex{1.0, 0.0});
    const double scale = ef::abs(lambda) + 2.0 * ef::abs(mu) + omega * omega * rho * h * h;
    for (int k = 0; k < 8; ++k)
        for (int m = 0; m < 8; ++m) {
            EXPECT_NEAR(stretched[k][m].re, square[k][m].re, 4e-16 * scale) << k << "," << m;
            EXPECT_NEAR(stretched[k][m].im, square[k][m].im, 4e-16 * scale) << k << "," << m;
        }
}

// 5-point Gauss-Legendre, exact for the degree-8 products of the basis
const double gauss_x[5] = {0.0, -0.5384693101056831, 0.5384693101056831, -0.9061798459386640,
                           0.9061798459386640};
const double gauss_w[5] = {0.5688888888888889, 0.4786286704993665, 0.4786286704993665,
                           0.2369268850561891, 0.2369268850561891};

// a(u, v) = integral of lambda div u div v + 2 mu eps(u) : eps(v) - omega^2 rho u.v
// over a rectangle of sides wx, wy.
ef::ElementMatrix rectangle_matrix(double omega, double rho, double wx, double wy) {
    ef::ElementMatrix e{};
    for (int qa = 0; qa < 5; ++qa)
        for (int qb = 0; qb < 5; ++qb) {
            const ef::ReferenceBasis b = ef::reference_basis(gauss_x[qa], gauss_x[qb]);
            const double weight = gauss_w[qa] * gauss_w[qb] * (wx * wy / 4.0);
            for (int k = 0; k < 8; ++k)
                for (int m = 0; m < 8; ++m) {
                    // gradients (component, direction) of phi e_c in metres
                    double gu[2][2] = {}, gv[2][2] = {};
                    gu[k % 2][0] = b.d_xi[k / 2] * 2.0 / wx;
                    gu[k % 2][1] = b.d_eta[k / 2] * 2.0 / wy;
                    gv[m % 2][0] = b.d_xi[m / 2] * 2.0 / wx;
                    gv[m % 2][1] = b.d_eta[m / 2] * 2.0 / wy;
                    const double div = (gu[0][0] + gu[1][1]) * (gv[0][0] + gv[1][1]);
                    double strain = 0.0;
                    for (int r = 0; r < 2; ++r)
                        for (int c = 0; c < 2; ++c)
                            strain += 0.25 * (gu[r][c] + gu[c][r]) * (gv[r][c] + gv[c][r]);
                    const double mass = k % 2 == m % 2 ? b.value[k / 2] * b.value[m / 2] : 0.0;
                    e[k][m] += weight * (div * lambda + (2.0 * strain) * mu);
                    e[k][m].re -= weight * omega * omega * rho * mass;
                }
        }
    return e;
}

TEST(StretchedElement, RealStretchIsARectangle) {
    const double omega = 0.9, rho = 1950.0, h = 3.0;
    for (const auto& [a, b] : {std::pair{2.5, 1.0}, {1.0, 0.4}, {1.7, 3.1}}) {
        const ef::ElementMatrix stretched =
            ef::stretched_element_matrix(lambda, mu, omega, rho, h, Complex{a, 0.0}, Complex{b, 0.0});
        const ef::ElementMatrix rectangle = rectangle_matrix(omega, rho, a * h, b * h);
        const double scale = (ef::abs(lambda) + 2.0 * ef::abs(mu)) * (a / b + b / a) + omega * omega * rho * h * h * a * b;
        for (int k = 0; k < 8; ++k)
            for (int m = 0; m < 8; ++m) {
                EXPECT_NEAR(stretched[k][m].re, rectangle[k][m].re, 1e-13 * scale) << a << "," << b << ": " << k << "," << m;
                EXPECT_NEAR(stretched[k][m].im, rectangle[k][m].im, 1e-13 * scale) << a << "," << b << ": " << k << "," << m;
            }
    }
}

TEST(StretchedElement, ComplexStretchKeepsSymmetryAndRigidTranslations) {
    const Complex sx{1.0, -2.3}, sy{1.0, -0.6};
    const ef::ElementMatrix e = ef::stretched_element_matrix(lambda, mu, 0.8, 2000.0, 5.0, sx, sy);
    for (int k = 0; k < 8; ++k)
        for (int m = 0; m < 8; ++m) EXPECT_TRUE(e[k][m] == e[m][k]) << k << "," << m;
    // without the mass, rigid translations carry no strain in any coordinates
    const ef::ElementMatrix k0 = ef::stretched_element_matrix(lambda, mu, 0.0, 2000.0, 5.0, sx, sy);
    for (int c = 0; c < 2; ++c)
        for (int k = 0; k < 8; ++k) {
            Complex sum{};
            for (int m = c; m < 8; m += 2) sum += k0[k][m];
            EXPECT_LT(ef::abs(sum), 1e-11 * ef::abs(lambda)) << c << ": " << k;
        }
}

}  // namespace
