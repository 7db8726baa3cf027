// The element properties of a homogeneous elastic medium on a whole grid,
// border velocities included, for the survey tests against closed forms.
#pragma once

#include "solver/element_fields.hpp"
#include "support/elastic_green.hpp"

namespace ef::test {

ElementFields homogeneous_fields(const ElasticMedium& m, int nx, int ny);

}  // namespace ef::test
