// Per-frequency properties of every element of the local grid (ring included):
// Lame parameters, density, and the elastic velocities of the border elements
// used by the absorbing boundary terms.
#pragma once

#include <vector>

#include "common/complex.hpp"
#include "common/grid2.hpp"
#include "model/boundary.hpp"

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

}  // namespace ef
