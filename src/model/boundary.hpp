// Block type and exterior-boundary indicators of the local grid.
#pragma once

#include <vector>

#include "common/run_params.hpp"

namespace ef {

// Exterior-boundary indicators: 1.0 where that side of the column (row) lies
// on the physical boundary, else 0.0. deltal/deltar by column 1..nx,
// deltab/deltat by row 1..ny (index 0 unused).
struct BoundaryFlags {
    std::vector<double> deltal, deltar, deltab, deltat;
};

// Sets a1.itype (9: all four sides of the block lie on the exterior boundary).
void subtype(ProcessGrid& a1);
// Clears the four indicator arrays (sized 1..nx, 1..ny) and sets the exterior
// sides of the block type held in a1.itype.
void setdelta(int nx, int ny, const ProcessGrid& a1, BoundaryFlags& flags);

}  // namespace ef
