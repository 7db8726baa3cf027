// One shot in a homogeneous elastic medium on a grid padded by a perfectly
// matched layer, solved with the deck programs' global system and MUMPS: the
// survey tests' way to a field they can hold against closed forms.
#pragma once

#include "solver/pml_padding.hpp"
#include "solver/point_source.hpp"
#include "solver/wave_field.hpp"
#include "support/elastic_green.hpp"

namespace ef::test {

// The field on the padded grid (source spectrum 1). shot is located with
// pml.grid.locate.
WaveField solve_homogeneous_shot(const ElasticMedium& m, const PerfectlyMatchedLayer& pml,
                                 double h, double omega, const PointSourceTerm& shot);

// Component c (1: u1, 2: u2) of the field at a located point.
Complex field_at(const WaveField& u, const ElementPoint& at, int c);

}  // namespace ef::test
