#include "model/material_map_files.hpp"

#include "common/format.hpp"

namespace ef {

void write_material_map_files(Units& units, const Grid2<std::int32_t>& matnum, double h) {
    constexpr int kMap = 97;
    constexpr int kSlice = 96;
    units.open(kMap, "matnum_gnu", FileStatus::unknown);
    units.open(kSlice, "slice_matnum_math", FileStatus::unknown);

    const int ngx = matnum.nx(), ngy = matnum.ny();
    for (int j = 1; j <= ngy; ++j)
        for (int i = 1; i <= ngx; ++i) units.list(kMap, {i, j, matnum(i, j)});

    // Bottom edge of every row and the material of column ngx/2 (the border
    // column 0 when ngx is 1).
    static const Format slice("(g15.5,i5)");
    const int ic = ngx / 2;
    for (int j = 1; j <= ngy; ++j) units.write(kSlice, slice, {(j - 1) * h, matnum(ic, j)});
}

}  // namespace ef
