// The closed forms that the survey tests trust, checked before anyone trusts
// them: the Navier equation away from the source, the force balance around it
// (the normalisation), outgoing waves (the time convention), the explosion as
// a dipole of forces, and the Rayleigh velocity against known ratios.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>

#include "support/elastic_green.hpp"

namespace {

using cd = std::complex<double>;
using ef::test::Displacement;
using ef::test::ElasticMedium;

// rho 2000, v_p 3000, v_s 1700
const ElasticMedium rock{2000.0 * (9e6 - 2.0 * 2.89e6), 2000.0 * 2.89e6, 2000.0};
const double omega = 2.0 * std::numbers::pi * 10.0;

// The field of a force (fx, fy) at the origin, by position.
struct ForceField {
    double fx, fy;
    cd at(double x, double y, int c) const {
        const Displacement u = ef::test::point_force_field(rock, omega, fx, fy, x, y);
        return c == 0 ? u.u1 : u.u2;
    }
    // d u_c / d x_l by centred differences
    cd gradient(double x, double y, int c, int l, double d) const {
        const double ex = l == 0 ? d : 0.0, ey = l == 1 ? d : 0.0;
        return (at(x + ex, y + ey, c) - at(x - ex, y - ey, c)) / (2.0 * d);
    }
};

TEST(ElasticGreen, ForceFieldSolvesTheNavierEquationAwayFromTheSource) {
    const double d = 0.5;  // k_s d = 0.018: second differences good to 3e-5
    for (const ForceField f : {ForceField{1.0, 0.0}, ForceField{0.3, -0.8}}) {
        for (const auto& [x, y] : {std::pair{100.0, 0.0}, {-70.0, 230.0}, {300.0, -290.0}, {20.0, 45.0}}) {
            auto u = [&](double dx, double dy, int c) { return f.at(x + dx * d, y + dy * d, c); };
            for (int c = 0; c < 2; ++c) {
                const cd lap = (u(1, 0, c) + u(-1, 0, c) + u(0, 1, c) + u(0, -1, c) - 4.0 * u(0, 0, c)) / (d * d);
                // d_c (div u): second derivatives along c, mixed ones across
                const int o = 1 - c;
                const cd along = (u(c == 0, c == 1, c) - 2.0 * u(0, 0, c) + u(-(c == 0), -(c == 1), c)) / (d * d);
                const cd mixed = (u(1, 1, o) - u(1, -1, o) - u(-1, 1, o) + u(-1, -1, o)) / (4.0 * d * d);
                const cd inertia = rock.rho * omega * omega * u(0, 0, c);
                const cd residual = rock.mu * lap + (rock.lambda + rock.mu) * (along + mixed) + inertia;
                EXPECT_LE(std::abs(residual), 1e-4 * std::abs(inertia) + 1e-4 * std::abs(rock.mu * lap))
                    << x << "," << y << " component " << c;
            }
        }
    }
}

TEST(ElasticGreen, TractionsAroundTheForceBalanceIt) {
    // On a circle of radius r with k_s r = 1e-3 the inertia of the disc is
    // negligible (order (k r)^2 log(k r)): the traction integral equals -F.
    const ForceField f{0.6, -0.8};
    const double r = 1e-3 * rock.vs() / omega, d = 1e-4 * r;
    const int n = 64;
    cd total[2] = {};
    for (int q = 0; q < n; ++q) {
        const double a = 2.0 * std::numbers::pi * q / n, nx = std::cos(a), ny = std::sin(a);
        const double x = r * nx, y = r * ny;
        cd g[2][2];
        for (int c = 0; c < 2; ++c)
            for (int l = 0; l < 2; ++l) g[c][l] = f.gradient(x, y, c, l, d);
        const cd div = g[0][0] + g[1][1];
        const cd sxx = rock.lambda * div + 2.0 * rock.mu * g[0][0];
        const cd syy = rock.lambda * div + 2.0 * rock.mu * g[1][1];
        const cd sxy = rock.mu * (g[0][1] + g[1][0]);
        const double ds = 2.0 * std::numbers::pi * r / n;
        total[0] += (sxx * nx + sxy * ny) * ds;
        total[1] += (sxy * nx + syy * ny) * ds;
    }
    EXPECT_NEAR(total[0].real(), -0.6, 1e-4);
    EXPECT_NEAR(total[1].real(), 0.8, 1e-4);
    EXPECT_NEAR(total[0].imag(), 0.0, 1e-4);
    EXPECT_NEAR(total[1].imag(), 0.0, 1e-4);
}

TEST(ElasticGreen, WavesTravelOutwardsAsExpMinusIkr) {
    // far from the source the phase falls by k dr per step dr outwards
    const double kp = omega / rock.vp(), ks = omega / rock.vs();
    const double r = 60.0 / kp, dr = 0.1 / kp;
    const cd a = ef::test::explosion_field(rock, omega, 1.0, r, 0.0).u1;
    const cd b = ef::test::explosion_field(rock, omega, 1.0, r + dr, 0.0).u1;
    EXPECT_NEAR(std::arg(b / a), -kp * dr, 1e-3);
    // a vertical force seen along x: the S wave
    const ForceField f{0.0, 1.0};
    const double rs = 60.0 / ks, drs = 0.1 / ks;
    EXPECT_NEAR(std::arg(f.at(rs + drs, 0.0, 1) / f.at(rs, 0.0, 1)), -ks * drs, 1e-3);
}

TEST(ElasticGreen, ExplosionIsTheDipoleOfTheForceFields) {
    // the body force -A grad delta: u_i = -A sum_j d_j G_ij
    const double amplitude = 2.5, d = 1e-3;
    const ForceField fx{1.0, 0.0}, fy{0.0, 1.0};
    for (const auto& [x, y] : {std::pair{120.0, 35.0}, {-15.0, -40.0}}) {
        const Displacement u = ef::test::explosion_field(rock, omega, amplitude, x, y);
        for (int i = 0; i < 2; ++i) {
            const cd dipole = -amplitude * (fx.gradient(x, y, i, 0, d) + fy.gradient(x, y, i, 1, d));
            const cd closed = i == 0 ? u.u1 : u.u2;
            EXPECT_LT(std::abs(dipole - closed), 1e-6 * std::abs(closed)) << x << "," << y << " " << i;
        }
    }
}

TEST(ElasticGreen, RayleighVelocityOfKnownSolids) {
    // Poisson solid (lambda = mu, v_p = sqrt(3) v_s): 0.9194 v_s; the
    // incompressible limit: 0.95531 v_s
    EXPECT_NEAR(ef::test::rayleigh_velocity(std::sqrt(3.0) * 1000.0, 1000.0), 919.40, 0.01);
    EXPECT_NEAR(ef::test::rayleigh_velocity(1e9, 1.0), 0.95531, 1e-5);
}

}  // namespace
