#include "model/boundary.hpp"

namespace ef {

void subtype(ProcessGrid& a1) { a1.itype = 9; }

void setdelta(int nx, int ny, const ProcessGrid& a1, BoundaryFlags& flags) {
    const auto columns = static_cast<std::size_t>(nx > 0 ? nx : 0) + 1;
    const auto rows = static_cast<std::size_t>(ny > 0 ? ny : 0) + 1;
    flags.deltal.assign(columns, 0.0);
    flags.deltar.assign(columns, 0.0);
    flags.deltab.assign(rows, 0.0);
    flags.deltat.assign(rows, 0.0);
    if (a1.itype == 9 && nx >= 1 && ny >= 1) {
        // A block alone in the layout: all four sides are exterior boundary.
        flags.deltal[1] = 1.0;
        flags.deltar[nx] = 1.0;
        flags.deltab[1] = 1.0;
        flags.deltat[ny] = 1.0;
    }
}

}  // namespace ef
