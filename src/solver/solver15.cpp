// Forward and back substitution with the stored profile factors of one row.
//
// The profile repeats with every element block of six unknowns, so the
// substitutions run block by block with the number of products of each
// unknown fixed at compile time; the products are still subtracted one at a
// time, nearest first.
#include <cassert>

#include "solver/row_system.hpp"

namespace ef {

namespace {

// y(k) = (b(k) - l(k,k-1) y(k-1) - l(k,k-2) y(k-2) - ...) / l(k,k); the row
// of L starts at f, the pivot follows its `count` entries.
template <int count>
inline const Complex* forward_step(const Complex* f, const Complex* b, Complex* w, int k) {
    Complex v = b[k];
    for (int t = 0; t < count; ++t) v -= f[t] * w[k - 1 - t];
    w[k] = v / f[count];
    return f + count + 1;
}

// x(k) = y(k) - u(k,k+1) x(k+1) - u(k,k+2) x(k+2) - ...
template <int count>
inline const Complex* back_step(const Complex* f, const Complex* w, Complex* x, int k) {
    Complex v = w[k];
    for (int t = 0; t < count; ++t) v -= f[t] * x[k + 1 + t];
    x[k] = v;
    return f + count;
}

}  // namespace

void solver15(int nx, int j, std::span<const Complex> rhs, const RowFactors& factors,
              std::span<Complex> answer, std::span<Complex> y) {
    if (nx < 1) return;
    const int n = row_unknowns(nx);
    assert(factors.nx() == nx && static_cast<int>(rhs.size()) > n &&
           static_cast<int>(answer.size()) > n && static_cast<int>(y.size()) > n);
    const Complex* b = rhs.data();
    Complex* x = answer.data();
    Complex* w = y.data();

    // L y = rhs. First element: its unknowns see only each other.
    const Complex* f = factors.lower_part(j);
    f = forward_step<0>(f, b, w, 1);
    f = forward_step<1>(f, b, w, 2);
    f = forward_step<2>(f, b, w, 3);
    f = forward_step<3>(f, b, w, 4);
    f = forward_step<4>(f, b, w, 5);
    f = forward_step<5>(f, b, w, 6);
    // Later elements: the shared left edge reaches back over the whole block before.
    for (int k = 7; k < n - 1; k += 6) {
        f = forward_step<6>(f, b, w, k);
        f = forward_step<7>(f, b, w, k + 1);
        f = forward_step<2>(f, b, w, k + 2);
        f = forward_step<3>(f, b, w, k + 3);
        f = forward_step<4>(f, b, w, k + 4);
        f = forward_step<5>(f, b, w, k + 5);
    }
    // right edge of the last element
    f = forward_step<6>(f, b, w, n - 1);
    forward_step<7>(f, b, w, n);

    // U x = y, from the right edge of the last element back to the first unknown.
    f = factors.upper_part(j);
    f = back_step<0>(f, w, x, n);
    f = back_step<1>(f, w, x, n - 1);
    for (int k = n - 2; k >= 6; k -= 6) {
        f = back_step<2>(f, w, x, k);
        f = back_step<3>(f, w, x, k - 1);
        f = back_step<4>(f, w, x, k - 2);
        f = back_step<5>(f, w, x, k - 3);
        f = back_step<6>(f, w, x, k - 4);
        f = back_step<7>(f, w, x, k - 5);
    }
}

}  // namespace ef
