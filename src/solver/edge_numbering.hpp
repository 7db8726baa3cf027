// The unknowns of a conforming solution on the grid: the two displacement
// components at the midpoint of every edge, each edge once.
#pragma once

#include <array>

namespace ef {

// Vertical edges (i, j), i = 0..nx, j = 1..ny, come first, then horizontal
// edges (i, j), i = 1..nx, j = 0..ny; component c (1 or 2) of edge e is
// unknown 2 e + c - 1 (0-based).
class EdgeNumbering {
public:
    EdgeNumbering(int nx, int ny);

    int nx() const { return nx_; }
    int ny() const { return ny_; }
    int edges() const { return vertical_edges_ + nx_ * (ny_ + 1); }
    int unknowns() const { return 2 * edges(); }
    int vertical(int i, int j) const { return i + (nx_ + 1) * (j - 1); }
    int horizontal(int i, int j) const { return vertical_edges_ + (i - 1) + nx_ * j; }

    // The unknowns of the eight local degrees of freedom of element (i, j), in
    // the local order u1 L, u2 L, u1 T, u2 T, u1 B, u2 B, u1 R, u2 R.
    std::array<int, 8> element_unknowns(int i, int j) const;

private:
    int nx_, ny_;
    int vertical_edges_;
};

}  // namespace ef
