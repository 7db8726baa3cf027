// The grid of a survey: the model's nx x ny elements padded by a perfectly
// matched layer of n elements on every absorbing side. A layer element takes
// the material of the nearest model element (so the layer continues the
// model outwards, which is what lets it match) and is stretched across the
// sides it lies beyond: s_x in the left and right layers, s_y in the bottom
// and top ones, both in the corners.
#pragma once

#include <optional>
#include <utility>

#include "common/complex.hpp"
#include "model/boundary.hpp"
#include "solver/element_point.hpp"
#include "solver/pml_profile.hpp"

namespace ef {

struct AbsorbingSides {
    bool left = true, right = true, bottom = true, top = false;  // top false: a free surface
};

class PaddedGrid {
public:
    // layer: elements added outside the model on each absorbing side (0 for
    // the first-order boundary alone).
    PaddedGrid(int model_nx, int model_ny, int layer, AbsorbingSides sides);

    int nx() const { return nx_; }  // padded
    int ny() const { return ny_; }
    int layer() const { return layer_; }
    int model_nx() const { return model_nx_; }
    int model_ny() const { return model_ny_; }
    const AbsorbingSides& sides() const { return sides_; }

    // Elements added to the left of and below the model: model element
    // (i, j) is padded element (i + left(), j + bottom()).
    int left() const { return sides_.left ? layer_ : 0; }
    int bottom() const { return sides_.bottom ? layer_ : 0; }

    // The point (x, y) in metres of the model, found among the model's own
    // elements (so a point on the model's edge stays in the model) and
    // numbered in the padded grid. Empty outside the model.
    std::optional<ElementPoint> locate(double x, double y, double h) const;

    // The model element whose material padded element (i, j) takes.
    std::pair<int, int> model_element(int i, int j) const;

    // Depth of padded column i (row j) into the layer in elements: 0 inside
    // the model, 1 next to it, layer() outermost.
    int depth_x(int i) const;
    int depth_y(int j) const;

    // The outer edges that keep the first-order absorbing terms: every side of
    // the padded grid but a free top.
    bool absorbs_left(int i) const { return i == 1 && sides_.left; }
    bool absorbs_right(int i) const { return i == nx_ && sides_.right; }
    bool absorbs_bottom(int j) const { return j == 1 && sides_.bottom; }
    bool absorbs_top(int j) const { return j == ny_ && sides_.top; }

private:
    int model_nx_, model_ny_, layer_;
    AbsorbingSides sides_;
    int nx_, ny_;
};

// The damping profiles across x (left and right layers) and across y.
struct PmlProfiles {
    PmlProfile x, y;
};

// The layer as a frequency's problem holds it: the padded grid and its
// profiles.
struct PerfectlyMatchedLayer {
    PaddedGrid grid;
    PmlProfiles profiles;

    // The stretching factors (s_x, s_y) of padded element (i, j) at angular
    // frequency omega; exactly 1 inside the model.
    std::pair<Complex, Complex> stretch(int i, int j, double omega) const;
};

// The indicators of the edges that keep the first-order absorbing terms:
// the outer edges of the padded grid, a free top excepted.
BoundaryFlags outer_edges(const PaddedGrid& grid);

}  // namespace ef
