#include "driver/convergence_warning.hpp"

#include <sstream>

namespace ef {

void warn_not_converged(Units& units, const RunParams& p, const ConvergenceTally& tally) {
    const int not_converged = tally.not_converged;
    const double worst_gerror = tally.worst_error;
    if (not_converged == 0) return;
    std::ostringstream m;
    m << not_converged << " of " << p.jw2 - p.jw1 + 1
      << " frequencies did not converge within maxiter = " << p.maxiter << " (maxlow = "
      << p.maxlow << " in the low range) outer iterations; the largest relative error left is "
      << worst_gerror << " against reduc = " << p.reduc
      << ": their traces and snapshots are inexact (iter.freq lists the iterations of each"
         " frequency); raise maxiter or maxlow, or check the material records of the deck";
    units.warn(m.str());
}

}  // namespace ef
