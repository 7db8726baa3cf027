// The one finite-element system of the whole local grid, whose solution the
// domain-decomposition iteration converges to: the element matrices of all
// elements, every interior edge shared by its two elements, the first-order
// absorbing terms on the physical boundary, the source on the right-hand side,
// and no Robin terms (they only couple the rows of the iteration).
#pragma once

#include <array>
#include <cstddef>
#include <vector>

#include "common/complex.hpp"
#include "solver/frequency_problem.hpp"
#include "solver/edge_numbering.hpp"

namespace ef {

// A linear system in coordinate form. The matrix is complex symmetric and is
// held by its lower triangle: each position (row >= column, both 1-based as
// MUMPS takes them) once.
struct CoordinateSystem {
    int n = 0;
    std::vector<int> row, column;
    std::vector<Complex> value;
    std::vector<Complex> rhs;  // 0-based, n entries
};

// Assembly of the global system of one frequency. The sparsity pattern is
// built once for the grid; each frequency refills the values.
class GlobalAssembly {
public:
    GlobalAssembly(int nx, int ny);

    const EdgeNumbering& numbering() const { return numbering_; }
    const CoordinateSystem& system() const { return system_; }

    // The matrix of the problem: element matrices K - omega^2 rho h^2 M / 5040
    // plus the absorbing terms of the edges that lie on the physical boundary
    // (the edge terms of the row systems without their Robin part), added
    // element by element (rows j outer, columns i inner, local k outer, m
    // inner).
    void assemble_matrix(const FrequencyProblem& pb);
    // The right-hand side of the problem's sources, element by element, each
    // row's loads formed as the row solve forms them. Apart from the matrix:
    // one factorisation can serve the right-hand sides of several sources.
    void assemble_rhs(const FrequencyProblem& pb);
    // Both.
    void assemble(const FrequencyProblem& pb) {
        assemble_matrix(pb);
        assemble_rhs(pb);
    }

private:
    EdgeNumbering numbering_;
    CoordinateSystem system_;
    std::vector<int> slot_;  // per element and (k, m): the entry it adds to, -1 above the diagonal
};

// ||b - A x|| / ||b|| in the 2-norm, with the full symmetric matrix; ||A x||
// when b is zero.
double relative_residual(const CoordinateSystem& s, const std::vector<Complex>& x);

}  // namespace ef
