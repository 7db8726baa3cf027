// The global system of one shot of a survey at one frequency, on the padded
// grid: stretched element matrices in the layer (the plain element matrices
// elsewhere), the first-order absorbing terms on the outer edges of the
// padded grid but not on a free top, and a point source on the right-hand
// side. Numbered and stored as the deck programs' global system.
#pragma once

#include <vector>

#include "common/complex.hpp"
#include "solver/element_fields.hpp"
#include "solver/global_system.hpp"
#include "solver/pml_padding.hpp"
#include "solver/point_source.hpp"

namespace ef {

// The damping profiles across x (left and right layers) and across y.
struct PmlProfiles {
    PmlProfile x, y;
};

// The element properties of the padded grid, ring included: each element
// those of the nearest model element, the border velocities of the outer
// edges those of the model's border element nearest to them.
ElementFields padded_fields(const PaddedGrid& grid, const ElementFields& model);

// The profiles of a layer of grid.layer() elements of side h: d_max from the
// fastest P velocity on the model's left and right borders (across x) and on
// its bottom and top borders (across y), so that no part of the layer is
// damped less than the target reflection asks.
PmlProfiles layer_profiles(const PaddedGrid& grid, const ElementFields& model, double h,
                           double reflection);

// The frequency being solved: angular frequency and source spectrum.
struct SurveyFrequency {
    double omega;
    Complex sour;
};

class SurveyAssembly {
public:
    explicit SurveyAssembly(const PaddedGrid& grid);

    const PaddedGrid& grid() const { return grid_; }
    const EdgeNumbering& numbering() const { return pattern_.numbering(); }
    const CoordinateSystem& system() const { return system_; }

    // el holds the padded grid's elements; its border velocities (vpleft by
    // padded row, vpbot by padded column, ...) feed the outer edges.
    void assemble(const SurveyFrequency& f, double h, const ElementFields& el,
                  const PmlProfiles& pml, const PointSourceTerm& shot);

private:
    PaddedGrid grid_;
    GlobalAssembly pattern_;  // numbering and sparsity, shared with the deck programs
    CoordinateSystem system_;
    std::vector<int> slot_;  // per element and (k, m): the entry it adds to, -1 above the diagonal
};

// Component c (0: u1, 1: u2) of the solution x at a located point.
Complex field_at(const EdgeNumbering& numbering, const std::vector<Complex>& x,
                 const ElementPoint& at, int c);

}  // namespace ef
