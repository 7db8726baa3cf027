// Closed forms of a homogeneous isotropic elastic medium, for the tests of the
// point sources, the perfectly matched layer and the free surface.
//
// Frequency domain with this program's time convention: a spectrum stands for
// Re(W e^{+i omega t}), so outgoing waves go as e^{-i k r} and the 2-D scalar
// Green's function of (laplacian + k^2) g = -delta is g = (-i/4) H0(k r) with
// H0 = H0^(2) = J0 - i Y0, the Hankel function of the second kind.
//
// Point force F at the origin: mu lap u + (lambda + mu) grad div u + rho omega^2 u
// = -F delta. Splitting u into potentials gives
//   G_ij = (1 / (rho omega^2)) [k_s^2 g_s delta_ij + d_i d_j (g_s - g_p)],
// with k_p = omega / v_p, k_s = omega / v_s: the divergence of G F is
// F . grad g_p / (lambda + 2 mu) and the three terms of the equation cancel
// but for -F delta. With z = k r, rhat = x / r, g' = (i/4) k H1(z) and
//   d_i d_j g = (i/4) k^2 [H0(z) rhat_i rhat_j + (H1(z) / z)(delta_ij - 2 rhat_i rhat_j)].
//
// Explosion of scalar moment A: the body force -A grad delta, whose response
// is -A d_j G_ij = -A d_i g_p / (lambda + 2 mu) = -(i/4) A k_p H1(k_p r) rhat / (lambda + 2 mu).
//
// Real moduli only (std::cyl_bessel_j and std::cyl_neumann take real arguments).
#pragma once

#include <complex>

namespace ef::test {

struct ElasticMedium {
    double lambda, mu, rho;
    double vp() const;
    double vs() const;
};

struct Displacement {
    std::complex<double> u1, u2;
};

// Displacement at offset (dx, dy) from a point force (fx, fy).
Displacement point_force_field(const ElasticMedium& m, double omega, double fx, double fy,
                               double dx, double dy);

// Displacement at offset (dx, dy) from an explosion of scalar moment A.
Displacement explosion_field(const ElasticMedium& m, double omega, double amplitude, double dx,
                             double dy);

// Rayleigh wave velocity of a half space: the root in (0, v_s) of
// (2 - c^2/v_s^2)^2 = 4 sqrt(1 - c^2/v_p^2) sqrt(1 - c^2/v_s^2).
double rayleigh_velocity(double vp, double vs);

}  // namespace ef::test
