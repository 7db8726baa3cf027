// Direct rectangle-rule Fourier sums between a real time series sampled at
// t_k = (k - 1) dt and a one-sided spectrum sampled at w_j = (j - 1 + s) dw,
// s = 0 (kernels ending in 1) or s = 0.5 (ending in 2).
// Arrays are spans whose element [k - 1] is sample k.
#pragma once

#include <span>

#include "common/complex.hpp"

namespace ef {

// X(k) = dt sum_j x(j) exp(-i w_k t_j), k = 1 .. X.size(); n = x.size().
void ffu1(std::span<const double> x, std::span<Complex> X, double dt, double dw);
void ffu2(std::span<const double> x, std::span<Complex> X, double dt, double dw);

// x(k) = (dw / pi) sum_j Re(X(j) exp(+i w_j t_k)), k = 1 .. x.size(); n = X.size().
void finvu1(std::span<const Complex> X, std::span<double> x, double dt, double dw);
void finvu2(std::span<const Complex> X, std::span<double> x, double dt, double dw);

}  // namespace ef
