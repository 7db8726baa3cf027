#include "solver/source_terms.hpp"

namespace ef {

SourceTerm SourceTerm::from_deck(int kdel, int ksou, Complex amplitude) {
    SourceTerm s;
    s.kind = kdel == 1 ? SourceKind::plane_force
                       : (kdel == 9 ? SourceKind::plane_load : SourceKind::none);
    s.row = ksou;
    s.amplitude = amplitude;
    return s;
}

RowSource SourceTerm::row_loads(int j, double h) const {
    RowSource r;
    if (j != row) return r;
    r.kind = kind;
    if (kind == SourceKind::plane_force) r.force = 1000000.0 * (amplitude / h);
    if (kind == SourceKind::plane_load) r.load = (0.25 * (h * h)) * amplitude;
    return r;
}

void add_element_source(const RowSource& s, Complex (&c)[8]) {
    if (s.kind == SourceKind::plane_force) {
        // opposite horizontal forces on the vertical edges, a vertical pair on
        // the horizontal edges
        c[0] += s.force;
        c[6] -= s.force;
        c[5] += s.force;
        c[3] -= s.force;
    } else if (s.kind == SourceKind::plane_load) {
        for (Complex& ck : c) ck += s.load;
    }
}

}  // namespace ef
