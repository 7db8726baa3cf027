// The displacement field of one frequency: what a solve hands on to the
// outputs (receivers, traces, snapshots), and the only thing they read.
//
// It holds, for every element including the ghost ring (i = 0..nx+1,
// j = 0..ny+1), both components at the midpoints of the element's four edges
// AS THAT ELEMENT SEES THEM. Why per element and not per edge: the
// domain-decomposition iteration gives each element its own traces, and
// element (i, j)'s top trace and element (i, j+1)'s bottom trace stay
// different numbers until, and even after, convergence (vertical interior
// edges are shared only within a row). Every output uses an element's own
// four traces, so the field keeps all four. A conforming solution (the
// direct solver's) simply gives both sides of an edge the same value.
//
// The ring is kept because outputs read it: with ny = 1 (nx = 1) the middle
// profile of the frequency snapshots is row (column) 0. A field made from a
// global solution has a zero ring, as the iteration's has.
#pragma once

#include <span>

#include "common/complex.hpp"
#include "common/grid2.hpp"
#include "solver/edge_numbering.hpp"

namespace ef {

// The edges of an element, in the order of its local degrees of freedom.
enum class Edge { left = 0, top = 1, bottom = 2, right = 3 };

class WaveField {
public:
    WaveField() = default;
    // A zero field on nx by ny elements and their ring.
    WaveField(int nx, int ny);
    // The field of a global solution x (unknowns numbered by `numbering`):
    // both elements that share an edge get its value; the ring stays zero.
    WaveField(const EdgeNumbering& numbering, std::span<const Complex> x);

    int nx() const { return u_[0][0].nx(); }
    int ny() const { return u_[0][0].ny(); }

    // Component c (1: horizontal u1, 2: vertical u2) at the midpoint of edge e
    // of element (i, j), as that element sees it.
    Complex& trace(int c, Edge e, int i, int j) { return grid(c, e)(i, j); }
    const Complex& trace(int c, Edge e, int i, int j) const { return grid(c, e)(i, j); }
    Grid2<Complex>& grid(int c, Edge e) { return u_[c - 1][static_cast<int>(e)]; }
    const Grid2<Complex>& grid(int c, Edge e) const { return u_[c - 1][static_cast<int>(e)]; }

    // The mean of the four edge values of component c of element (i, j),
    // 0.25 (((top + left) + bottom) + right): the value of the element's
    // basis at its centre, to the last bit.
    Complex centre_mean(int c, int i, int j) const;
    // centre_mean, zeroed when its modulus is below 1e-14 held in single
    // precision: the element-centre value every output file writes.
    Complex centre(int c, int i, int j) const;
    // Component c at the point (x, y) of the reference square [-1, 1]^2 of
    // element (i, j), from the element's own nonconforming basis.
    Complex at(int c, int i, int j, double x, double y) const;
    // Component c at the point (x, y) of the grid (m; element (i, j), of side
    // h, covers (i - 1) h <= x <= i h, (j - 1) h <= y <= j h), from the basis
    // of the element that holds it (the nearest one for a point outside).
    Complex at_point(int c, double x, double y, double h) const;

    // Whether every value, ring included, is a finite number.
    bool finite() const;

private:
    Grid2<Complex> u_[2][4];  // [component - 1][edge]
};

}  // namespace ef
