#include "solver/edge_numbering.hpp"

namespace ef {

EdgeNumbering::EdgeNumbering(int nx, int ny) {
    const bool empty = nx < 1 || ny < 1;  // no element, no edge
    nx_ = empty ? 0 : nx;
    ny_ = empty ? 0 : ny;
    vertical_edges_ = (nx_ + 1) * ny_;
}

std::array<int, 8> EdgeNumbering::element_unknowns(int i, int j) const {
    const int left = vertical(i - 1, j);
    const int top = horizontal(i, j);
    const int bottom = horizontal(i, j - 1);
    const int right = vertical(i, j);
    return {2 * left, 2 * left + 1, 2 * top, 2 * top + 1,
            2 * bottom, 2 * bottom + 1, 2 * right, 2 * right + 1};
}

}  // namespace ef
