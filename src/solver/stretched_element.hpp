// The element matrix of one square element under complex coordinate
// stretching, the perfectly matched layer's form of the weak equation.
//
// In stretched coordinates dx~ = s_x dx, dy~ = s_y dy the derivatives become
// d/dx~ = (1/s_x) d/dx, d/dy~ = (1/s_y) d/dy and the area element s_x s_y dx dy.
// The stiffness splits by derivative pairs: a product of two x-derivatives
// picks up s_y / s_x, of two y-derivatives s_x / s_y, a mixed product
// (1 / (s_x s_y)) (s_x s_y) = 1, and the mass s_x s_y. The matrix stays complex
// symmetric, so the global system keeps its symmetric storage.
#pragma once

#include "common/complex.hpp"
#include "solver/element_matrix.hpp"

namespace ef {

// Exact integrals over one square element of products of the scalar basis
// functions (edge order L, T, B, R; dof k of the element matrix is scalar
// function k / 2 times unit vector k % 2). Derivatives are in metres, so the
// derivative blocks do not depend on the side h; the mass block is per h^2.
struct ScalarBlocks {
    double xx[4][4];    // integral of d(phi_a)/dx d(phi_b)/dx
    double yy[4][4];    // integral of d(phi_a)/dy d(phi_b)/dy
    double xy[4][4];    // integral of d(phi_a)/dx d(phi_b)/dy (not symmetric)
    double mass[4][4];  // integral of phi_a phi_b / h^2
};

const ScalarBlocks& scalar_blocks();

// K(s_x, s_y) - omega^2 rho s_x s_y M of an element of side h with stretching
// factors s_x and s_y; s_x = s_y = 1 gives stiffness_minus_mass to rounding.
ElementMatrix stretched_element_matrix(Complex lambda, Complex mu, double omega, double rho,
                                       double h, Complex sx, Complex sy);

}  // namespace ef
