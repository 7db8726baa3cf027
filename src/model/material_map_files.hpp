// The material layout of the model for plotting: "matnum_gnu" (unit 97), the
// material of every global element, and "slice_matnum_math" (unit 96), the
// materials along the vertical line through column ngx/2.
#pragma once

#include <cstdint>

#include "common/grid2.hpp"
#include "common/units.hpp"

namespace ef {

// Opens both files (status unknown) and writes them from the material map of
// ngx = matnum.nx() by ngy = matnum.ny() elements of side h.
void write_material_map_files(Units& units, const Grid2<std::int32_t>& matnum, double h);

}  // namespace ef
