// Block type and exterior-boundary indicators of the local grid.
#pragma once

#include "common/run_params.hpp"
#include "solver/element_fields.hpp"

namespace ef {

// Sets a1.itype (9: all four sides of the block lie on the exterior boundary).
void subtype(ProcessGrid& a1);
// Clears the four indicator arrays (sized 1..nx, 1..ny) and sets the exterior
// sides of the block type held in a1.itype.
void setdelta(int nx, int ny, const ProcessGrid& a1, BoundaryFlags& flags);

}  // namespace ef
