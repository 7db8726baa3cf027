// The source wavelet, its spectrum and band-pass taper, and the four source
// files (units 20 to 23). Called by readata once the sampling is known.
#pragma once

#include "common/run_params.hpp"
#include "common/units.hpp"

namespace ef {

// Builds p.source (1..nt) and p.sour (1..jw2) from key, freq, w0, alfa, dt, nt,
// keyqua, delf, delw, if3, if4, jw2; for key 2 also psi, width, ts, totpul,
// npulse and possibly a longer nt. Prints its lines on unit 6 (gated ones only
// when a1.prints()) and may stop with code 12345.
void build_source(Units& units, const ProcessGrid& a1, RunParams& p);

}  // namespace ef
