#include "model/nyquist_warning.hpp"

#include <sstream>

#include "model/sampling.hpp"

namespace ef {

void warn_band_above_nyquist(Units& units, const RunParams& p) {
    if (!(p.f4 > p.fnyquist)) return;
    int first_lost = p.jw2 + 1;
    while (first_lost > p.jw1 && frequency_of(first_lost - 1, p) > p.fnyquist) --first_lost;
    std::ostringstream m;
    m << "the band reaches f4 = " << p.f4 << " kHz (record 19), above the Nyquist frequency "
      << p.fnyquist << " kHz of the time step dt = " << p.dt << " msec: ";
    if (first_lost <= p.jw2)
        m << "frequency numbers " << first_lost << " to " << p.jw2 << " ("
          << frequency_of(first_lost, p) << " to " << frequency_of(p.jw2, p)
          << " kHz) are lost in the traces and snapshots";
    else
        m << "the top of the band-pass taper is lost";
    m << "; frequencies are in kHz: was the band given in Hz?";
    units.warn(m.str());
}

}  // namespace ef
