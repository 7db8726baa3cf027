// Receivers the block formula cannot place: on the right or top edge of the
// model or beyond them. A point there falls outside the block grid (x/hpx at
// least nsx or y/hpy at least nsy), and its block number wraps round to
// another block: a receiver above the top lands in a row near the bottom, one
// on the top edge in row 1, one on the right edge in the ghost column. Such a
// receiver is refused rather than recorded somewhere else.
#pragma once

#include "common/run_params.hpp"
#include "model/geometry.hpp"

namespace ef {

// The model as the deck gives it: xsize, ysize as read (records 8 and 9; the
// blocks are laid out on them) and the square elements of side h that
// end at the rounded top.
struct ModelExtent {
    double xsize;
    double ysize;
    double top;  // ngy * h, the rounded ysize
    double h;
};

// Throws RunError naming receiver i, its position, the model's extent and
// where a receiver may go, when rx or ry is not below xsize or ysize, or the
// block formula of `blocks` puts the point outside the block grid.
void check_receiver_inside(int i, double rx, double ry, const ModelExtent& model,
                           const BlockLayout& blocks);

}  // namespace ef
