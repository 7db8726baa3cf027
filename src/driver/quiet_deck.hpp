// Reading a run's deck after the run, for the programs that post-process its
// results: the same readata as the solver, so the geometry and the sampling
// are the solver's to the last bit, but silent and without side effects. The
// run summary goes nowhere and the files readata writes (source files,
// material maps) land in a private temporary directory that is removed
// before returning, so a finished run's folder is never touched.
#pragma once

#include <iosfwd>
#include <string>

#include "common/run_params.hpp"

namespace ef {

// Ends like readata itself: StopRun, PlainStop or RunError.
RunParams read_deck_quietly(std::istream& deck, const BuildLimits& limits);
// The same with the run summary on `summary` and, when `warnings` is given,
// the reader's warnings there as "<program>: warning: ..." lines.
RunParams read_deck_quietly(std::istream& deck, const BuildLimits& limits, std::ostream& summary,
                            std::ostream* warnings = nullptr, const std::string& program = {});

}  // namespace ef
