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

std::pair<Complex, Complex> element_stretch(const PaddedGrid& grid, const PmlProfile& across_x,
                                            const PmlProfile& across_y, int i, int j, double omega) {
    return {across_x.stretch(grid.depth_x(i), omega), across_y.stretch(grid.depth_y(j), omega)};
}

}  // namespace ef
