// The geometry of the element grid: mesh size and rounding of the domain, the
// block (subdomain) layout, the placement of points (source, receivers) in a
// block, the element range of a material region and the border ring of the
// material map.
#pragma once

#include <cstdint>

#include "common/grid2.hpp"

namespace ef {

// h = min(xsize/ngx, ysize/ngy) from the sizes as read; the rounded sizes are
// ngx*h and ngy*h, so that every element is a square of side h.
struct MeshSize {
    double h;
    double xsize;  // rounded
    double ysize;  // rounded
};
MeshSize mesh_size(double xsize, double ysize, std::int32_t ngx, std::int32_t ngy);

// The nsx by nsy blocks, hpx by hpy metres each (from the sizes as read),
// numbered row by row from the top row, left to right.
struct BlockLayout {
    std::int32_t nsx;
    std::int32_t nsy;
    double hpx;
    double hpy;
    double h;
};

// A point's block k = (nsy - 1 - int(y/hpy))*nsx + int(x/hpx) and its local
// element (i, j) in that block, with 32-bit truncating division and remainder
// (a point on the top edge gives a negative block number).
struct LocalPosition {
    std::int32_t block;
    std::int32_t i;
    std::int32_t j;
};
LocalPosition locate(const BlockLayout& b, double x, double y);

// Moves a source coordinate at least one element away from both edges of
// [0, size]: first up to h, then down to size - h.
double clamp_source(double s, double size, double h);

// Global element holding the centre of local element (i, j) of block
// (kx, ky), kx counted from the left and ky from the top; i and j may be 0 or
// nx + 1 (ny + 1) for the block's border ring.
std::int32_t global_column(const BlockLayout& b, std::int32_t kx, std::int32_t i);
std::int32_t global_row(const BlockLayout& b, std::int32_t ky, std::int32_t j);

// Elements whose centre lies in (xi, xf] x (yi, yf]: the region shrunk by h/2
// on every side, the last column and row capped at ngx and ngy.
struct ElementRange {
    std::int32_t ixi, ixf, iyi, iyf;
};
ElementRange region_range(double xi, double xf, double yi, double yf, double h,
                          std::int32_t ngx, std::int32_t ngy);

// Copies the outermost columns, then the outermost rows, of the grid into its
// border ring; the corners take the value of the nearest corner element.
void extend_border(Grid2<std::int32_t>& matnum);

}  // namespace ef
