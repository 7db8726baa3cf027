// The sources of one frequency's problem, as loads on the elements' local
// degrees of freedom (order u1 L, u2 L, u1 T, u2 T, u1 B, u2 B, u1 R, u2 R).
//
// The deck gives one plane source: every element of row ksou carries it.
// kdel 1 puts opposite horizontal forces on the vertical edges and a
// vertical force pair on the horizontal edges, kdel 9 a load on every degree
// of freedom; any other kdel adds nothing. A survey's shot is a point
// source, loading the one element that holds it (solver/point_source.hpp);
// only the global system takes it, not the row systems. A new kind of source
// is a new SourceKind and its case in row_loads and add_element_source (or
// point_load), here only.
#pragma once

#include <array>

#include "common/complex.hpp"
#include "solver/point_source.hpp"

namespace ef {

enum class SourceKind {
    none,
    plane_force,  // kdel 1
    plane_load,   // kdel 9
    point,        // a force, moment tensor or explosion at a point
};

// The loads of one row of elements, the same for each element of the row.
struct RowSource {
    SourceKind kind = SourceKind::none;  // none: the row carries no load
    Complex force;  // plane_force: 1000000 (sour(jw) / h)
    Complex load;   // plane_load: (0.25 (h h)) sour(jw)
};

struct SourceTerm {
    SourceKind kind = SourceKind::none;
    int row = 0;        // the row of elements carrying a plane source (ksou)
    Complex amplitude;  // the source spectrum at this frequency (sour(jw))
    PointSourceTerm at;  // point: the source and the element holding it

    // The deck's source: kdel 1 or 9 in row ksou with spectrum value sour(jw).
    static SourceTerm from_deck(int kdel, int ksou, Complex amplitude);
    // A point source with spectrum value sour(jw).
    static SourceTerm at_point(const PointSourceTerm& at, Complex amplitude);
    // The loads of row j for elements of side h (none for a point source).
    RowSource row_loads(int j, double h) const;
    // point: the load vector of the element holding the point, which is
    // element (at.i(), at.j()); zero for the plane sources.
    std::array<Complex, 8> point_load() const;
};

// Adds the loads of one element of a row to its eight contributions.
void add_element_source(const RowSource& s, Complex (&c)[8]);

}  // namespace ef
