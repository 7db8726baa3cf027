// A band that reaches above the Nyquist frequency of the time step: the
// frequencies above it cannot be told apart from lower ones in traces and
// snapshots sampled at dt, and are lost. Most often the band was typed in Hz
// where the deck wants kHz (f4 = 25. for 25 Hz is 25 kHz).
#pragma once

#include "common/run_params.hpp"
#include "common/units.hpp"

namespace ef {

// Warns (Units::warn) when f4 lies above fnyquist, naming the frequency
// numbers of the band jw1..jw2 that lie above it. Needs the frequency step,
// the Nyquist frequency and the band limits of the run.
void warn_band_above_nyquist(Units& units, const RunParams& p);

}  // namespace ef
