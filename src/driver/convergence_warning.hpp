// The end-of-run warning for frequencies whose outer iteration stopped at its
// limit before the error fell below reduc: their traces and snapshots hold an
// unfinished field. The run summary says so frequency by frequency; this one
// line on standard error says it where a user looks for trouble.
#pragma once

#include "common/run_params.hpp"
#include "common/units.hpp"
#include "driver/frequency_sweep.hpp"

namespace ef {

// Warns (Units::warn) when not_converged of the band's frequencies did not
// converge, with the largest relative error any of them was left with.
void warn_not_converged(Units& units, const RunParams& p, const ConvergenceTally& tally);

}  // namespace ef
