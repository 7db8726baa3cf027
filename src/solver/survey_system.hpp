// The pieces of a survey's problem on the padded grid that the deck programs
// do not have: the element properties of the layer, continued from the
// model, and the layer's damping profiles. The global system itself is the
// deck programs' (solver/global_system.hpp) with the layer in the frequency's
// problem and a point source as its source term.
#pragma once

#include "solver/element_fields.hpp"
#include "solver/element_sensitivity.hpp"
#include "solver/pml_padding.hpp"

namespace ef {

// The element properties of the padded grid, ring included: each element
// those of the nearest model element, the border velocities of the outer
// edges those of the model's border element nearest to them.
ElementFields padded_fields(const PaddedGrid& grid, const ElementFields& model);

// The other way, for derivatives: a gradient with respect to the padded
// grid's properties as one with respect to the model's, each model entry the
// sum of the entries padded_fields copied it to (rows of the padded grid
// upward, columns rightward).
FieldGradient model_gradient(const PaddedGrid& grid, const FieldGradient& padded);

// The profiles of a layer of grid.layer() elements of side h: d_max from the
// fastest P velocity on the model's left and right borders (across x) and on
// its bottom and top borders (across y), so that no part of the layer is
// damped less than the target reflection asks; from `velocity` on every side
// instead when it is above 0.
PmlProfiles layer_profiles(const PaddedGrid& grid, const ElementFields& model, double h,
                           double reflection, double velocity = 0.0);

}  // namespace ef
