// Direct rectangle-rule Fourier sums between a real time series sampled at
// t_k = (k - 1) dt and a one-sided spectrum sampled at w_j = (j - 1 + s) dw,
// s = 0 (kernels ending in 1) or s = 0.5 (ending in 2).
// Arrays are spans whose element [k - 1] is sample k.
//
// Every output sample is its own running sum over the input samples in
// increasing order, with the angle multiplied out in one fixed order, so the
// result does not depend on how many samples are computed together.
#pragma once

#include <span>

#include "common/complex.hpp"

namespace ef {

// Frequency offset s of the two samplings, in units of dw.
inline constexpr double kStandardShift = 0.0;  // w_j = (j - 1) dw
inline constexpr double kMidPointShift = 0.5;  // w_j = (j - 0.5) dw

// X(k) = dt sum_j x(j) exp(-i w_k t_j), k = 1 .. X.size(); n = x.size().
void ffu1(std::span<const double> x, std::span<Complex> X, double dt, double dw);
void ffu2(std::span<const double> x, std::span<Complex> X, double dt, double dw);

// x(k) = (dw / pi) sum_j Re(X(j) exp(+i w_j t_k)), k = 1 .. x.size(); n = X.size().
void finvu1(std::span<const Complex> X, std::span<double> x, double dt, double dw);
void finvu2(std::span<const Complex> X, std::span<double> x, double dt, double dw);

// The inverse sum of `count` spectra of n samples each at the same m times:
// spectrum r is spectra[r n .. r n + n - 1], its series goes to
// series[r m .. r m + m - 1]. Each series is bit for bit what finvu1
// (shift kStandardShift) or finvu2 (kMidPointShift) gives for that spectrum
// alone; the cosine and sine of each angle are evaluated once for all of them.
void finvu_many(double shift, std::span<const Complex> spectra, int n, std::span<double> series,
                int m, int count, double dt, double dw);

}  // namespace ef
