// The misfit's derivatives with respect to the element properties of one
// frequency's problem, from a forward field u and its adjoint field a.
//
// The system K(m) u = f is complex symmetric, so for a misfit J whose
// derivative with respect to u is g (dJ = Re(g^T du)) the adjoint field solves
// K a = g with the same factors, and dJ/dp = -Re(a^T (dK/dp) u) for every real
// parameter p of the matrix. The matrix is a sum of element matrices, each
// linear in its element's lambda, mu and density, and of diagonal edge terms
// linear in the density and in each border velocity: the derivatives are the
// element's own matrices with unit properties (solver/frequency_problem.hpp).
#pragma once

#include <cstddef>
#include <vector>

#include "common/grid2.hpp"
#include "solver/edge_numbering.hpp"
#include "solver/frequency_problem.hpp"

namespace ef {

// dJ/dp for every entry of an ElementFields, laid out as it is: lambda, mu
// and density per element, and each border velocity (its real part) per row
// or column. Ring entries stay zero: the global system has no ring. Its
// members repeat ElementFields' on purpose, one derivative per property.
struct FieldGradient {
    FieldGradient() = default;
    FieldGradient(int nx, int ny)
        : xln(nx, ny), xmu(nx, ny), rho(nx, ny),
          vpleft(ny + 2), vpright(ny + 2), vsleft(ny + 2), vsright(ny + 2),
          vpbot(nx + 2), vptop(nx + 2), vsbot(nx + 2), vstop(nx + 2) {}

    Grid2<double> xln, xmu, rho;
    std::vector<double> vpleft, vpright, vsleft, vsright;
    std::vector<double> vpbot, vptop, vsbot, vstop;
};

// Pairs of forward and adjoint solutions of one block of shots: column c of
// each holds n unknowns from c * n on.
struct FieldPairs {
    const Complex* forward = nullptr;
    const Complex* adjoint = nullptr;
    std::size_t n = 0;
    int columns = 0;
};

// Adds -Re(a^T (dK/dp) u), summed over the block's columns in order, to g for
// every element property p of the problem's grid. Elements are shared among
// `threads` threads; each element's sum is formed by one thread in the same
// order, so the result does not depend on their number.
void add_element_sensitivities(const FrequencyProblem& pb, const EdgeNumbering& numbering,
                               const FieldPairs& fields, int threads, FieldGradient& g);

}  // namespace ef
