// The constants of pi the programs use, each written as the step that uses it
// has always written it: the digits differ from one use to another, and every
// result depends on them to the last bit, so none may be replaced by another.
#pragma once

namespace ef {

// pi and 2 pi of the deck's derived quantities (wavelet, sampling,
// relaxation times, quality factors) and of every angular frequency.
inline constexpr double kPi = 3.14159265358979;
inline constexpr double kTwoPi = 6.28318530717958;

// pi of the inverse Fourier sums of the traces and the wavelet (dw / pi).
inline constexpr double kInverseSumPi = 3.14159265358975;

// pi of the scaling of the time-domain snapshot sums (the double-precision pi).
inline constexpr double kSnapshotPi = 3.141592653589793;

}  // namespace ef
