// Reading a run's deck after the run, for the programs that post-process its
// results: the same readata as the solver, so the geometry and the sampling
// are the solver's to the last bit, but silent and without side effects. The
// run summary goes nowhere and the files readata writes (source files,
// material maps) land in a private temporary directory that is removed
// before returning, so a finished run's folder is never touched.
#pragma once

#include <iosfwd>

#include "common/run_params.hpp"

namespace ef {

// Ends like readata itself: StopRun, PlainStop or RunError.
RunParams read_deck_quietly(std::istream& deck, const BuildLimits& limits);
// The same with the run summary on `summary`.
RunParams read_deck_quietly(std::istream& deck, const BuildLimits& limits, std::ostream& summary);

}  // namespace ef
