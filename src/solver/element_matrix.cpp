// Closed-form element matrices: the exact integrals of the edge-midpoint basis
// span{1, x, y, theta(x) - theta(y)}, theta(t) = t^2 - (5/3) t^4, on a square.
#include "solver/element_matrix.hpp"

namespace ef {

namespace {

// Distinct stiffness values: (a lambda + b mu) / 28 for the first five, then
// lambda and mu themselves. A table entry is +-(code) or 0.
enum Stiff : int { Zero = 0, Across = 1, Along = 2, Adjacent = 3, OppAcross = 4, OppAlong = 5, Lam = 6, Mu = 7 };

constexpr int stiffness_table[8][8] = {
    {Across, Zero, -Adjacent, -Lam, -Adjacent, Lam, OppAcross, Zero},
    {Zero, Along, -Mu, -Adjacent, Mu, -Adjacent, Zero, OppAlong},
    {-Adjacent, -Mu, Along, Zero, OppAlong, Zero, -Adjacent, Mu},
    {-Lam, -Adjacent, Zero, Across, Zero, OppAcross, Lam, -Adjacent},
    {-Adjacent, Mu, OppAlong, Zero, Along, Zero, -Adjacent, -Mu},
    {Lam, -Adjacent, Zero, OppAcross, Zero, Across, -Lam, -Adjacent},
    {OppAcross, Zero, -Adjacent, Lam, -Adjacent, -Lam, Across, Zero},
    {Zero, OppAlong, Mu, -Adjacent, -Mu, -Adjacent, Zero, Along},
};

constexpr int mass_table[8][8] = {
    {781, 0, 269, 0, 269, 0, -59, 0},
    {0, 781, 0, 269, 0, 269, 0, -59},
    {269, 0, 781, 0, -59, 0, 269, 0},
    {0, 269, 0, 781, 0, -59, 0, 269},
    {269, 0, -59, 0, 781, 0, 269, 0},
    {0, 269, 0, -59, 0, 781, 0, 269},
    {-59, 0, 269, 0, 269, 0, 781, 0},
    {0, -59, 0, 269, 0, 269, 0, 781},
};

// (a lambda + b mu) / 28, component-wise
Complex combine(double a, double b, Complex lambda, Complex mu) {
    const Complex sum = (a * lambda) + (b * mu);
    return sum / 28.0;
}

}  // namespace

double mass_pattern(int k, int m) { return mass_table[k - 1][m - 1]; }

ElementMatrix stiffness_minus_mass(Complex lambda, Complex mu, double omega, double rho,
                                   double h) {
    const Complex values[8] = {
        Complex{},
        combine(65.0, 167.0, lambda, mu),  // one function with itself, across its edge
        combine(37.0, 139.0, lambda, mu),  // one function with itself, along its edge
        combine(37.0, 111.0, lambda, mu),  // adjacent edges
        combine(9.0, 55.0, lambda, mu),    // opposite edges, across
        combine(37.0, 83.0, lambda, mu),   // opposite edges, along
        lambda,                            // mixed derivatives, vertical with horizontal edge
        mu,
    };
    const double fac = ((omega * omega) * rho) * (h * h) / 5040.0;

    ElementMatrix e{};
    for (int k = 0; k < 8; ++k) {
        for (int m = 0; m < 8; ++m) {
            const int code = stiffness_table[k][m];
            const Complex s = code >= 0 ? values[code] : -values[-code];
            const double mass = static_cast<double>(mass_table[k][m]);
            e[k][m] = Complex{s.re - mass * fac, s.im};
        }
    }
    return e;
}

Complex edge_term(double e, double h, double delta, Complex beta, double omega, double rho,
                  Complex v) {
    const double x = ((omega * h) * rho) * delta;
    const Complex robin = ((e * h) * (1.0 - delta)) * beta;
    const Complex absorbing = Complex{0.0, x} * v;
    return robin + absorbing;
}

}  // namespace ef
