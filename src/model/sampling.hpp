// Time and frequency sampling of the run: source frequency, time step and
// trace length, mute, frequency step, band-pass corner indices, snapshot
// indices and the band of frequency numbers solved.
#pragma once

#include "common/run_params.hpp"

namespace ef {

// w0 = 2 pi freq; alfa = w0 * 0.79 / pi.
void source_frequency(RunParams& p);
// dt = (h / ppmax) * 0.1; nt = int(stime / dt).
void time_step(RunParams& p);
// ntmute = int(tmute / dt) for a positive tmute, else 0.
void mute_samples(RunParams& p);
// fnyquist = 1 / (2 dt); delf = f4 / npf; delw = 2 pi delf.
void frequency_step(RunParams& p);
// if1..if4 = int(f / delf + 1) of the band-pass corners (with f3, f4 moved to
// 0.9 and 1 times the Nyquist frequency when if4 comes out as 1, and if3 one
// below if4 when they coincide); jwsnap(j) = int(fsnap(j)/delf + 1),
// itsnap(j) = int(tsnap(j)/dt).
void band_indices(RunParams& p);
// jw1 = 2 (keyqua 1, zero frequency skipped) or 1 (keyqua 2); jw2 =
// int(f4/delf); jwlow = int(jw2 * perclow).
void band_limits(RunParams& p);

// Frequency (kHz) of frequency number jw: (jw - 1) delf with the standard
// sampling (keyqua 1), (jw - 1 + 0.5) delf with the mid-point one.
double frequency_of(int jw, const RunParams& p);
// Angular frequency of the frequency fjw (kHz): fjw 6.28318530717958.
double angular_frequency(double fjw);

}  // namespace ef
