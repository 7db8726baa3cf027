#include "solver/source_terms.hpp"

namespace ef {

RowSource row_source(int j, int jw, double h, int kdel, int ksou,
                     const std::vector<Complex>& sour) {
    RowSource s;
    if (j != ksou || (kdel != 1 && kdel != 9)) return s;
    const Complex sw = sour[static_cast<std::size_t>(jw)];
    s.kdel = kdel;
    if (kdel == 1) s.force = 1000000.0 * (sw / h);
    if (kdel == 9) s.load = (0.25 * (h * h)) * sw;
    return s;
}

void add_element_source(const RowSource& s, Complex (&c)[8]) {
    if (s.kdel == 1) {
        // opposite horizontal forces on the vertical edges, a vertical pair on
        // the horizontal edges
        c[0] += s.force;
        c[6] -= s.force;
        c[5] += s.force;
        c[3] -= s.force;
    } else if (s.kdel == 9) {
        for (Complex& ck : c) ck += s.load;
    }
}

}  // namespace ef
