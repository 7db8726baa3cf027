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
#include "solver/element_fields.hpp"
#include "solver/interface_state.hpp"

namespace ef {

// Unknowns of the global system: the two displacement components at the
// midpoint of every edge of the local grid. Vertical edges (i, j), i = 0..nx,
// j = 1..ny, come first, then horizontal edges (i, j), i = 1..nx, j = 0..ny;
// component c (1 or 2) of edge e is unknown 2 e + c - 1 (0-based).
class EdgeNumbering {
public:
    EdgeNumbering(int nx, int ny);

    int nx() const { return nx_; }
    int ny() const { return ny_; }
    int edges() const { return vertical_edges_ + nx_ * (ny_ + 1); }
    int unknowns() const { return 2 * edges(); }
    int vertical(int i, int j) const { return i + (nx_ + 1) * (j - 1); }
    int horizontal(int i, int j) const { return vertical_edges_ + (i - 1) + nx_ * j; }

    // The unknowns of the eight local degrees of freedom of element (i, j), in
    // the local order u1 L, u2 L, u1 T, u2 T, u1 B, u2 B, u1 R, u2 R.
    std::array<int, 8> element_unknowns(int i, int j) const;

private:
    int nx_, ny_;
    int vertical_edges_;
};

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

    // Element matrices K - omega^2 rho h^2 M / 5040 plus the absorbing terms
    // of the edges that lie on the physical boundary (the same edge terms as
    // the row systems, with the Robin part switched off), added element by
    // element (rows j outer, columns i inner, local k outer, m inner); the
    // source of row ksou formed as the row solve forms it.
    void assemble(double omega, double h, const ElementFields& el, const BoundaryFlags& flags,
                  int jw, int kdel, int ksou, const std::vector<Complex>& sour);

private:
    EdgeNumbering numbering_;
    CoordinateSystem system_;
    std::vector<int> slot_;  // per element and (k, m): the entry it adds to, -1 above the diagonal
};

// ||b - A x|| / ||b|| in the 2-norm, with the full symmetric matrix; ||A x||
// when b is zero.
double relative_residual(const CoordinateSystem& s, const std::vector<Complex>& x);

// The eight current trace arrays of every element (i = 1..nx, j = 1..ny) from
// the solution: the two elements that share an edge get the same value. The
// ghost ring is left as it is.
void store_traces(const EdgeNumbering& numbering, const std::vector<Complex>& x,
                  InterfaceState& state);

}  // namespace ef
