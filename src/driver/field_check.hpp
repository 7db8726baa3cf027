// A check that the wave field of one frequency came out as numbers. The input
// checks let some models through whose field is not finite (NaN moduli, a
// density of zero, a singular row system); such a run still writes every file
// as usual, but ends with a message and a failure status instead of success.
#pragma once

#include "solver/interface_state.hpp"

namespace ef {

// True when every current trace of every element, the ring included (the
// receivers of the last column and row sit there), is finite.
bool traces_finite(const InterfaceState& state);

}  // namespace ef
