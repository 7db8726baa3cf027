// Squared moduli |z|^2 of many complex numbers, each formed as the C
// library's overflow-free modulus (hypot) squared, to the last bit.
//
// The library computes hypot(x, y) with a = max(|x|, |y|), b = min(|x|, |y|):
// in the range where neither squaring overflows nor underflows,
//     h = sqrt(a a + b b)
// corrected by one Newton-like step that recovers the rounding error of the
// sum of squares (without fused multiply-adds):
//     h <= 2 b:  d = h - b,  t1 = (2d - a) a,       t2 = (d - 2(a - b)) d
//     h >  2 b:  d = h - a,  t1 = 2d (a - 2b),      t2 = (4d - b) b + d d
//     h = h - (t1 + t2) / (2h)
// and a + b when b is negligible (b <= a 2^-54; below 2^-459, a >= b 2^54).
// Every step is one rounded IEEE operation, so the same steps on several
// numbers side by side in the lanes of a vector register give the same bits.
// Numbers outside that range (huge or tiny but not negligible, infinite,
// NaN) go to the library itself.
#pragma once

#include <cstddef>

namespace ef {

// out[k] = h * h with h = std::hypot(x[k], y[k]), for k = 0 .. n - 1.
void squared_moduli(const double* x, const double* y, double* out, std::size_t n);

// The same with a given code path, for tests: 0 one number at a time,
// 1 four at a time (when the processor has AVX2; else as 0), 2 eight at a
// time (when it has AVX-512; else as 1). squared_moduli takes the widest.
void squared_moduli_path(int path, const double* x, const double* y, double* out,
                         std::size_t n);

}  // namespace ef
