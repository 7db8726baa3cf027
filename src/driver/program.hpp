// The programs built from the shared routines. Each main hands its kind and
// its row limit to run_program, which runs the sequence and turns the ways a
// run can end (normal end, numeric stop, plain stop, run error) into the
// process's exit status after flushing every unit.
#pragma once

#include <functional>
#include <iosfwd>

#include "common/run_params.hpp"
#include "common/units.hpp"

namespace ef {

enum class ProgramKind {
    standard,  // elastofreq
    large,     // elastofreq_large: no named source files
    check,     // elastofreq_check: stops after the model set-up of the first frequency
};

// Runs `body` with a unit table on the given streams and returns the exit
// status: 0 on a normal end or plain stop, the code of a numeric stop (with
// "STOP <code>" on err), 2 on a run error (with its message on err), 5 when
// the run ended normally but its wave field was not finite (NonFiniteField).
// Every unit is flushed first in every case.
int run_guarded(std::istream& in, std::ostream& out, std::ostream& err,
                const std::function<void(Units&)>& body);

// The whole run of one program in the working directory.
int run_program(ProgramKind kind, BuildLimits limits, std::istream& in, std::ostream& out,
                std::ostream& err);

}  // namespace ef
