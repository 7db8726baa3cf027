#include "model/receiver_bounds.hpp"

#include <sstream>

#include "common/stop.hpp"
#include "model/int_trunc.hpp"

namespace ef {

void check_receiver_inside(int i, double rx, double ry, const ModelExtent& model,
                           const BlockLayout& blocks) {
    // The sizes as read and the block grid built on them can disagree by a
    // rounding in the last place: either one past its end is refused.
    const bool right = !(rx < model.xsize && int_trunc(rx / blocks.hpx) < blocks.nsx);
    const bool top = !(ry < model.ysize && int_trunc(ry / blocks.hpy) < blocks.nsy);
    if (!right && !top) return;
    std::ostringstream m;
    m << "input deck: receiver " << i << " (record 38) at x = " << rx << " m, y = " << ry
      << " m lies on or beyond the " << (right ? "right" : "top")
      << " edge of the model, 0 <= x < " << model.xsize << " m and 0 <= y < " << model.ysize
      << " m (xsize and ysize, records 8 and 9), and would be recorded elsewhere; place the"
         " receivers inside the model, a surface line half an element below the top, at y = "
      << model.top - model.h / 2 << " m";
    throw RunError(m.str());
}

}  // namespace ef
