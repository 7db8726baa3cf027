// Crout factorisation A = L U (U unit upper) of one row system without
// pivoting, restricted to the profile of the element structure.
#include "solver/row_system.hpp"

namespace ef {

void factor15(int nx, int j, const Band& a, RowFactors& factors) {
    if (nx < 1) return;
    const int n = row_unknowns(nx);
    auto limit = [n](int k) { return profile_limit(k, n); };

    for (int k = 1; k <= n; ++k) {
        const int pk = limit(k);
        // column k of L: l(i, k) = A(i, k) - sum over m < k of l(i, m) u(m, k),
        // the products subtracted nearest first
        for (int i = k; i <= pk; ++i) {
            Complex v = a(i, 8 + k - i);
            for (int m = k - 1; m >= 1 && limit(m) >= i; --m)
                v -= factors.l(j, m, i - m) * factors.u(j, m, k - m);
            factors.l(j, k, i - k) = v;
        }
        // row k of U: u(k, c) = (A(k, c) - sum of l(k, m) u(m, c)) / l(k, k)
        const Complex pivot = factors.l(j, k, 0);
        for (int c = k + 1; c <= pk; ++c) {
            Complex v = a(k, 8 + c - k);
            for (int m = k - 1; m >= 1 && limit(m) >= c; --m)
                v -= factors.l(j, m, k - m) * factors.u(j, m, c - m);
            factors.u(j, k, c - k) = v / pivot;
        }
    }
}

}  // namespace ef
