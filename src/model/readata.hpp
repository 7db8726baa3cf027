// Reading the input deck from unit 5: records, echo of the run summary on
// unit 6, checks, and the whole model set-up (grid, materials, sampling,
// source wavelet, receivers, material map and its files).
#pragma once

#include "common/run_params.hpp"
#include "common/units.hpp"

namespace ef {

// Fills p and the deck fields of a1 (ncontrol, nsx, nsy). May end the run
// with StopRun, PlainStop or RunError.
void readata(Units& units, ProcessGrid& a1, const BuildLimits& limits, RunParams& p);

}  // namespace ef
