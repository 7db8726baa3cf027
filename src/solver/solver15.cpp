// Forward and back substitution with the stored profile factors of one row.
//
// The profile repeats with every element block of six unknowns, so the
// substitutions run block by block with the number of products of each
// unknown fixed at compile time; the products are still subtracted one at a
// time, nearest first.
//
// Each unknown waits for the one before it, so one substitution is a long
// chain of dependent operations. Two rows solved together interleave two such
// chains and keep the arithmetic units busy, with each complex product in one
// SSE register; every rounding of each row is the one it gets when solved
// alone with the scalar operators.
#include <cassert>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "solver/row_system.hpp"

namespace ef {

namespace {

#if defined(__SSE2__)
// A complex value as one SSE register [re, im]. v - f w is formed with the
// same roundings as the scalar operators of Complex: the real part
// f.re w.re + (-(f.im w.im)), which is f.re w.re - f.im w.im, the imaginary
// part f.re w.im + f.im w.re, then both subtracted from v.
using Packed = __m128d;
inline Packed load(const Complex& z) { return _mm_loadu_pd(&z.re); }
inline void store(Complex& z, Packed v) { _mm_storeu_pd(&z.re, v); }
inline Complex unpack(Packed v) {
    Complex z;
    store(z, v);
    return z;
}
inline Packed minus_product(Packed v, const Complex& f, const Complex& w) {
    const Packed wv = load(w);                          // [w.re, w.im]
    const Packed swapped = _mm_shuffle_pd(wv, wv, 1);   // [w.im, w.re]
    const Packed p1 = _mm_mul_pd(_mm_set1_pd(f.re), wv);       // [f.re w.re, f.re w.im]
    const Packed p2 = _mm_mul_pd(_mm_set1_pd(f.im), swapped);  // [f.im w.im, f.im w.re]
    const Packed negate_re = _mm_set_pd(0.0, -0.0);
    return _mm_sub_pd(v, _mm_add_pd(p1, _mm_xor_pd(p2, negate_re)));
}
#else
using Packed = Complex;
inline Packed load(const Complex& z) { return z; }
inline void store(Complex& z, Packed v) { z = v; }
inline Complex unpack(Packed v) { return v; }
inline Packed minus_product(Packed v, const Complex& f, const Complex& w) { return v - f * w; }
#endif

// One row being solved: its factors (read pointer), right-hand side, forward
// result and solution, all 1-based.
struct Lane {
    const Complex* f;
    const Complex* b;
    Complex* w;
    Complex* x;
};

// y(k) = (b(k) - l(k,k-1) y(k-1) - l(k,k-2) y(k-2) - ...) / l(k,k); the row
// of L starts at f, the pivot follows its `count` entries.
template <int count, int R>
inline void forward_step(Lane (&lane)[R], int k) {
    if constexpr (R == 1) {
        // one row: scalar arithmetic has the shorter chain of latencies
        Lane& l = lane[0];
        Complex v = l.b[k];
        for (int t = 0; t < count; ++t) v -= l.f[t] * l.w[k - 1 - t];
        l.w[k] = v / l.f[count];
        l.f += count + 1;
    } else {
        Packed v[R];
        for (int r = 0; r < R; ++r) v[r] = load(lane[r].b[k]);
        for (int t = 0; t < count; ++t)
            for (int r = 0; r < R; ++r)
                v[r] = minus_product(v[r], lane[r].f[t], lane[r].w[k - 1 - t]);
        for (int r = 0; r < R; ++r) {
            lane[r].w[k] = unpack(v[r]) / lane[r].f[count];
            lane[r].f += count + 1;
        }
    }
}

// x(k) = y(k) - u(k,k+1) x(k+1) - u(k,k+2) x(k+2) - ...
template <int count, int R>
inline void back_step(Lane (&lane)[R], int k) {
    if constexpr (R == 1) {
        Lane& l = lane[0];
        Complex v = l.w[k];
        for (int t = 0; t < count; ++t) v -= l.f[t] * l.x[k + 1 + t];
        l.x[k] = v;
        l.f += count;
    } else {
        Packed v[R];
        for (int r = 0; r < R; ++r) v[r] = load(lane[r].w[k]);
        for (int t = 0; t < count; ++t)
            for (int r = 0; r < R; ++r)
                v[r] = minus_product(v[r], lane[r].f[t], lane[r].x[k + 1 + t]);
        for (int r = 0; r < R; ++r) {
            store(lane[r].x[k], v[r]);
            lane[r].f += count;
        }
    }
}

// Both substitutions of R rows of n unknowns; lane[r].f starts at the lower
// part of the row's factors, upper[r] is its upper part.
template <int R>
void substitute(int n, Lane (&lane)[R], const Complex* const (&upper)[R]) {
    // L y = rhs. First element: its unknowns see only each other.
    forward_step<0>(lane, 1);
    forward_step<1>(lane, 2);
    forward_step<2>(lane, 3);
    forward_step<3>(lane, 4);
    forward_step<4>(lane, 5);
    forward_step<5>(lane, 6);
    // Later elements: the shared left edge reaches back over the whole block before.
    for (int k = 7; k < n - 1; k += 6) {
        forward_step<6>(lane, k);
        forward_step<7>(lane, k + 1);
        forward_step<2>(lane, k + 2);
        forward_step<3>(lane, k + 3);
        forward_step<4>(lane, k + 4);
        forward_step<5>(lane, k + 5);
    }
    // right edge of the last element
    forward_step<6>(lane, n - 1);
    forward_step<7>(lane, n);

    // U x = y, from the right edge of the last element back to the first unknown.
    for (int r = 0; r < R; ++r) lane[r].f = upper[r];
    back_step<0>(lane, n);
    back_step<1>(lane, n - 1);
    for (int k = n - 2; k >= 6; k -= 6) {
        back_step<2>(lane, k);
        back_step<3>(lane, k - 1);
        back_step<4>(lane, k - 2);
        back_step<5>(lane, k - 3);
        back_step<6>(lane, k - 4);
        back_step<7>(lane, k - 5);
    }
}

}  // namespace

void solver15(int nx, int j, std::span<const Complex> rhs, const RowFactors& factors,
              std::span<Complex> answer, std::span<Complex> y) {
    if (nx < 1) return;
    const int n = row_unknowns(nx);
    assert(factors.nx() == nx && static_cast<int>(rhs.size()) > n &&
           static_cast<int>(answer.size()) > n && static_cast<int>(y.size()) > n);
    Lane lane[1] = {{factors.lower_part(j), rhs.data(), y.data(), answer.data()}};
    const Complex* const upper[1] = {factors.upper_part(j)};
    substitute<1>(n, lane, upper);
}

void solver15_pair(int nx, int ja, int jb, std::span<const Complex> rhs_a,
                   std::span<const Complex> rhs_b, const RowFactors& factors,
                   std::span<Complex> answer_a, std::span<Complex> answer_b,
                   std::span<Complex> y_a, std::span<Complex> y_b) {
    if (nx < 1) return;
    const int n = row_unknowns(nx);
    assert(factors.nx() == nx && static_cast<int>(rhs_a.size()) > n &&
           static_cast<int>(rhs_b.size()) > n && static_cast<int>(answer_a.size()) > n &&
           static_cast<int>(answer_b.size()) > n && static_cast<int>(y_a.size()) > n &&
           static_cast<int>(y_b.size()) > n);
    Lane lane[2] = {{factors.lower_part(ja), rhs_a.data(), y_a.data(), answer_a.data()},
                    {factors.lower_part(jb), rhs_b.data(), y_b.data(), answer_b.data()}};
    const Complex* const upper[2] = {factors.upper_part(ja), factors.upper_part(jb)};
    substitute<2>(n, lane, upper);
}

}  // namespace ef
