// One row of the domain-decomposition iteration: form the right-hand side from
// the neighbours' traces, the multipliers, the Robin coefficients and the
// source, solve, store the new traces (solv1it); then update the multipliers
// of the row (uplag).
#pragma once

#include <vector>

#include "common/complex.hpp"
#include "solver/element_fields.hpp"
#include "solver/interface_state.hpp"
#include "solver/robin.hpp"
#include "solver/row_system.hpp"

namespace ef {

// sour: source spectrum by frequency number (1-based).
void solv1it(int j, int nx, int jw, double h, int kdel, int ksou,
             const std::vector<Complex>& sour, const RobinCoefficients& beta,
             const BoundaryFlags& flags, const RowFactors& factors,
             InterfaceState& state, RowWorkspace& ws);

void uplag(int j, int nx, const RobinCoefficients& beta, InterfaceState& state);

}  // namespace ef
