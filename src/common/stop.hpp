// The ways a run ends early. Thrown where a check fails and caught once in each
// program's main (and by tests and fuzzers), which flushes every open unit and
// then reports and exits.
#pragma once

#include <stdexcept>
#include <string>

namespace ef {

// Numeric stop: "STOP <code>" on standard error, exit status <code>.
struct StopRun {
    int code;
};

// Plain stop: no message, exit status 0.
struct PlainStop {};

// An input or output failure (missing file, short or unreadable record, a deck
// value the model cannot use): the message goes to standard error and the
// exit status is 2, as for a Fortran runtime I/O error.
struct RunError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

inline constexpr int kRunErrorStatus = 2;

// The run went through and wrote every file, but the wave field of some
// frequency came out not finite (NaN or infinity: NaN moduli, a zero density,
// a singular row system), so its traces and snapshots are not usable: the
// message goes to standard error and the exit status is 5 (a value no stop
// code gives).
struct NonFiniteField : std::runtime_error {
    using std::runtime_error::runtime_error;
};

inline constexpr int kNonFiniteFieldStatus = 5;

}  // namespace ef
