// Forward and back substitution with the stored profile factors of one row.
#include "solver/row_system.hpp"

namespace ef {

void solver15(int nx, int j, std::span<const Complex> rhs, const RowFactors& factors,
              std::span<Complex> answer, std::span<Complex> y) {
    const int n = row_unknowns(nx);
    const Complex* b = rhs.data();
    Complex* x = answer.data();
    Complex* w = y.data();

    // L y = rhs: row k of L is streamed as l(k, k-1), l(k, k-2), ..., then the pivot.
    const Complex* lower = factors.lower_part(j);
    for (int k = 1; k <= n; ++k) {
        const int count = factors.lower_count(k);
        Complex v = b[k];
        for (int t = 0; t < count; ++t) v -= lower[t] * w[k - 1 - t];
        w[k] = v / lower[count];
        lower += count + 1;
    }

    // U x = y: row k of U is streamed as u(k, k+1), u(k, k+2), ..., k from n down.
    const Complex* upper = factors.upper_part(j);
    for (int k = n; k >= 1; --k) {
        const int count = factors.upper_count(k);
        Complex v = w[k];
        for (int t = 0; t < count; ++t) v -= upper[t] * x[k + 1 + t];
        x[k] = v;
        upper += count;
    }
}

}  // namespace ef
