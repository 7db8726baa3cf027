#include "solver/pml_padding.hpp"

#include <algorithm>

namespace ef {

PaddedGrid::PaddedGrid(int model_nx, int model_ny, int layer, AbsorbingSides sides)
    : model_nx_(model_nx), model_ny_(model_ny), layer_(layer), sides_(sides) {
    nx_ = model_nx + layer * (int(sides.left) + int(sides.right));
    ny_ = model_ny + layer * (int(sides.bottom) + int(sides.top));
}

std::optional<ElementPoint> PaddedGrid::locate(double x, double y, double h) const {
    std::optional<ElementPoint> p = locate_point(x, y, model_nx_, model_ny_, h);
    if (p) {
        p->i += left();
        p->j += bottom();
    }
    return p;
}

std::pair<int, int> PaddedGrid::model_element(int i, int j) const {
    return {std::clamp(i - left(), 1, model_nx_), std::clamp(j - bottom(), 1, model_ny_)};
}

int PaddedGrid::depth_x(int i) const {
    const int m = i - left();  // model column, outside [1, model_nx] in the layers
    return m < 1 ? 1 - m : (m > model_nx_ ? m - model_nx_ : 0);
}

int PaddedGrid::depth_y(int j) const {
    const int m = j - bottom();
    return m < 1 ? 1 - m : (m > model_ny_ ? m - model_ny_ : 0);
}

std::pair<Complex, Complex> PerfectlyMatchedLayer::stretch(int i, int j, double omega) const {
    return {profiles.x.stretch(grid.depth_x(i), omega), profiles.y.stretch(grid.depth_y(j), omega)};
}

BoundaryFlags outer_edges(const PaddedGrid& grid) {
    BoundaryFlags f;
    f.deltal.assign(static_cast<std::size_t>(grid.nx()) + 1, 0.0);
    f.deltar = f.deltal;
    f.deltab.assign(static_cast<std::size_t>(grid.ny()) + 1, 0.0);
    f.deltat = f.deltab;
    for (int i = 1; i <= grid.nx(); ++i) {
        f.deltal[static_cast<std::size_t>(i)] = grid.absorbs_left(i) ? 1.0 : 0.0;
        f.deltar[static_cast<std::size_t>(i)] = grid.absorbs_right(i) ? 1.0 : 0.0;
    }
    for (int j = 1; j <= grid.ny(); ++j) {
        f.deltab[static_cast<std::size_t>(j)] = grid.absorbs_bottom(j) ? 1.0 : 0.0;
        f.deltat[static_cast<std::size_t>(j)] = grid.absorbs_top(j) ? 1.0 : 0.0;
    }
    return f;
}

}  // namespace ef
