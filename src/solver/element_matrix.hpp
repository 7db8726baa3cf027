// The 8 x 8 matrix of one square element of the nonconforming P-SV element:
// stiffness from the complex Lame parameters, mass from the density and the
// angular frequency, and the edge terms (Robin coupling or absorption) on the
// diagonal. Local order: u1 L, u2 L, u1 T, u2 T, u1 B, u2 B, u1 R, u2 R.
#pragma once

#include <array>

#include "common/complex.hpp"

namespace ef {

using ElementMatrix = std::array<std::array<Complex, 8>, 8>;  // 0-based (k - 1, m - 1)

// Mass pattern of the element (times h^2 / 5040): 781 for a basis function
// with itself, 269 with an adjacent edge, -59 with the opposite edge.
double mass_pattern(int k, int m);  // 1-based

// K - M fac with fac = ((omega omega) rho) (h h) / 5040, the mass acting on the
// real part only.
ElementMatrix stiffness_minus_mass(Complex lambda, Complex mu, double omega, double rho,
                                   double h);

// One edge term: ((e h)(1 - delta)) beta + (i x) v with x = ((omega h) rho) delta.
// e switches the Robin term, delta marks a physical boundary, v is the border
// velocity of the absorbing condition.
Complex edge_term(double e, double h, double delta, Complex beta, double omega, double rho,
                  Complex v);

}  // namespace ef
