// The source of the source row. Every element of row ksou carries it (a plane
// source): kdel 1 puts opposite horizontal forces on the vertical edges and a
// vertical force pair on the horizontal edges, kdel 9 a load on every degree
// of freedom; any other kdel adds nothing.
#pragma once

#include <vector>

#include "common/complex.hpp"

namespace ef {

struct RowSource {
    int kdel = 0;    // 1 or 9 when row j carries a source, else 0
    Complex force;   // kdel 1: 1000000 (sour(jw) / h)
    Complex load;    // kdel 9: (0.25 (h h)) sour(jw)
};

// The source of row j at frequency number jw (sour is 1-based by frequency number).
RowSource row_source(int j, int jw, double h, int kdel, int ksou, const std::vector<Complex>& sour);

// Adds the source of one element of the row to its eight contributions, in
// the local order u1 L, u2 L, u1 T, u2 T, u1 B, u2 B, u1 R, u2 R.
void add_element_source(const RowSource& s, Complex (&c)[8]);

}  // namespace ef
