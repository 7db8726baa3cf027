// The sources of one frequency's problem, as loads on the elements' local
// degrees of freedom (order u1 L, u2 L, u1 T, u2 T, u1 B, u2 B, u1 R, u2 R).
//
// The deck gives one plane source: every element of row ksou carries it.
// kdel 1 puts opposite horizontal forces on the vertical edges and a
// vertical force pair on the horizontal edges, kdel 9 a load on every degree
// of freedom; any other kdel adds nothing. A new kind of source is a new
// SourceKind and its case in row_loads and add_element_source, here only.
#pragma once

#include "common/complex.hpp"

namespace ef {

enum class SourceKind {
    none,
    plane_force,  // kdel 1
    plane_load,   // kdel 9
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

    // The deck's source: kdel 1 or 9 in row ksou with spectrum value sour(jw).
    static SourceTerm from_deck(int kdel, int ksou, Complex amplitude);
    // The loads of row j for elements of side h.
    RowSource row_loads(int j, double h) const;
};

// Adds the loads of one element of a row to its eight contributions.
void add_element_source(const RowSource& s, Complex (&c)[8]);

}  // namespace ef
