// Per-frequency properties of every element of the local grid (ring included):
// Lame parameters, density, and the elastic velocities of the border elements
// used by the absorbing boundary terms.
#pragma once

#include <vector>

#include "common/complex.hpp"
#include "common/grid2.hpp"

namespace ef {

struct ElementFields {
    ElementFields() = default;
    ElementFields(int nx, int ny)
        : xln(nx, ny), xmu(nx, ny), rho(nx, ny),
          vpleft(ny + 2), vpright(ny + 2), vsleft(ny + 2), vsright(ny + 2),
          vpbot(nx + 2), vptop(nx + 2), vsbot(nx + 2), vstop(nx + 2) {}

    Grid2<Complex> xln, xmu;  // lambda and mu at the current frequency
    Grid2<double> rho;        // density
    // Border velocities (imaginary part 0): left/right by row j, bottom/top by column i.
    std::vector<Complex> vpleft, vpright, vsleft, vsright;
    std::vector<Complex> vpbot, vptop, vsbot, vstop;
};

// Exterior-boundary indicators: 1.0 where that side of the column (row) lies
// on the physical boundary, else 0.0. deltal/deltar by column 1..nx,
// deltab/deltat by row 1..ny (index 0 unused).
struct BoundaryFlags {
    std::vector<double> deltal, deltar, deltab, deltat;
};

}  // namespace ef
