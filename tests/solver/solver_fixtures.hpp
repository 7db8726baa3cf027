// Shared set-up of the solver tests: a random heterogeneous viscoelastic grid
// with its ring, its Robin coefficients and boundary flags, and small dense
// complex linear algebra written independently of the solver.
#pragma once

#include <algorithm>
#include <complex>
#include <cstddef>
#include <random>
#include <vector>

#include "common/complex.hpp"
#include "solver/element_fields.hpp"
#include "solver/frequency_problem.hpp"
#include "solver/robin.hpp"
#include "solver/row_system.hpp"

namespace ef::test {

using cd = std::complex<double>;

inline cd to_std(Complex z) { return {z.re, z.im}; }

struct GridProblem {
    int nx = 0, ny = 0;
    double omega = 0.0, h = 0.0;
    int jw = 7;
    ElementFields el;
    RobinCoefficients beta;
    BoundaryFlags flags;

    // The problem these fields describe, with the given source.
    FrequencyProblem problem(SourceTerm source = {}) const {
        return {nx, ny, h, jw, omega, el, flags, source};
    }
};

// Rock-like random elements (density ~2000, velocities ~2-4 m/ms, weak
// attenuation); all four sides of the grid are physical boundary unless
// `closed` is false, in which case every edge is an interface.
inline GridProblem make_problem(int nx, int ny, unsigned seed, bool closed = true,
                                double omega = 0.3, double h = 5.0) {
    GridProblem p;
    p.nx = nx;
    p.ny = ny;
    p.omega = omega;
    p.h = h;
    p.el = ElementFields(nx, ny);
    p.beta = RobinCoefficients(nx, ny);
    std::mt19937 gen(seed);
    std::uniform_real_distribution<double> uni(0.0, 1.0);
    for (int j = 0; j <= ny + 1; ++j) {
        for (int i = 0; i <= nx + 1; ++i) {
            const double rho = 1800.0 + 600.0 * uni(gen);
            const double vp = 2.5 + 1.5 * uni(gen);
            const double vs = vp / (1.6 + 0.4 * uni(gen));
            const double mu = rho * vs * vs;
            const double pm = rho * vp * vp;
            p.el.rho(i, j) = rho;
            p.el.xmu(i, j) = Complex{mu, mu * 0.02 * uni(gen)};
            p.el.xln(i, j) = Complex{pm - 2.0 * mu, (pm - 2.0 * mu) * 0.02 * uni(gen)};
        }
    }
    for (int j = 0; j <= ny + 1; ++j) {
        const std::size_t js = static_cast<std::size_t>(j);
        p.el.vpleft[js] = Complex{2.0 + uni(gen), 0.0};
        p.el.vsleft[js] = Complex{1.0 + uni(gen), 0.0};
        p.el.vpright[js] = Complex{2.0 + uni(gen), 0.0};
        p.el.vsright[js] = Complex{1.0 + uni(gen), 0.0};
    }
    for (int i = 0; i <= nx + 1; ++i) {
        const std::size_t is = static_cast<std::size_t>(i);
        p.el.vpbot[is] = Complex{2.0 + uni(gen), 0.0};
        p.el.vsbot[is] = Complex{1.0 + uni(gen), 0.0};
        p.el.vptop[is] = Complex{2.0 + uni(gen), 0.0};
        p.el.vstop[is] = Complex{1.0 + uni(gen), 0.0};
    }
    p.flags.deltal.assign(static_cast<std::size_t>(nx) + 2, 0.0);
    p.flags.deltar.assign(static_cast<std::size_t>(nx) + 2, 0.0);
    p.flags.deltab.assign(static_cast<std::size_t>(ny) + 2, 0.0);
    p.flags.deltat.assign(static_cast<std::size_t>(ny) + 2, 0.0);
    if (closed) {
        p.flags.deltal[1] = 1.0;
        p.flags.deltar[static_cast<std::size_t>(nx)] = 1.0;
        p.flags.deltab[1] = 1.0;
        p.flags.deltat[static_cast<std::size_t>(ny)] = 1.0;
    }
    inbeta(nx, ny, omega, p.el.rho, p.el.xln, p.el.xmu, p.jw, p.beta);
    return p;
}

// Dense square complex matrix, 1-based.
struct Dense {
    explicit Dense(int n_) : n(n_), v(static_cast<std::size_t>(n_) * static_cast<std::size_t>(n_)) {}
    cd& operator()(int r, int c) {
        return v[static_cast<std::size_t>(r - 1) * static_cast<std::size_t>(n) + static_cast<std::size_t>(c - 1)];
    }
    cd operator()(int r, int c) const {
        return v[static_cast<std::size_t>(r - 1) * static_cast<std::size_t>(n) + static_cast<std::size_t>(c - 1)];
    }
    int n;
    std::vector<cd> v;
};

inline Dense dense_from_band(const Band& a) {
    Dense d(a.n());
    for (int r = 1; r <= a.n(); ++r)
        for (int c = std::max(1, r - 7); c <= std::min(a.n(), r + 7); ++c)
            d(r, c) = to_std(a(r, 8 + c - r));
    return d;
}

// Gaussian elimination with partial pivoting; b is 1-based (index 0 unused).
inline std::vector<cd> dense_solve(Dense a, std::vector<cd> b) {
    const int n = a.n;
    for (int k = 1; k <= n; ++k) {
        int piv = k;
        for (int r = k + 1; r <= n; ++r)
            if (std::abs(a(r, k)) > std::abs(a(piv, k))) piv = r;
        if (piv != k) {
            for (int c = 1; c <= n; ++c) std::swap(a(k, c), a(piv, c));
            std::swap(b[static_cast<std::size_t>(k)], b[static_cast<std::size_t>(piv)]);
        }
        for (int r = k + 1; r <= n; ++r) {
            const cd f = a(r, k) / a(k, k);
            if (f == cd{}) continue;
            for (int c = k; c <= n; ++c) a(r, c) -= f * a(k, c);
            b[static_cast<std::size_t>(r)] -= f * b[static_cast<std::size_t>(k)];
        }
    }
    std::vector<cd> x(static_cast<std::size_t>(n) + 1);
    for (int k = n; k >= 1; --k) {
        cd s = b[static_cast<std::size_t>(k)];
        for (int c = k + 1; c <= n; ++c) s -= a(k, c) * x[static_cast<std::size_t>(c)];
        x[static_cast<std::size_t>(k)] = s / a(k, k);
    }
    return x;
}

// max |A x - b| / max |b|
inline double relative_residual(const Dense& a, const std::vector<cd>& x, const std::vector<cd>& b) {
    double res = 0.0, scale = 0.0;
    for (int r = 1; r <= a.n; ++r) {
        cd s = 0.0;
        for (int c = 1; c <= a.n; ++c) s += a(r, c) * x[static_cast<std::size_t>(c)];
        res = std::max(res, std::abs(s - b[static_cast<std::size_t>(r)]));
        scale = std::max(scale, std::abs(b[static_cast<std::size_t>(r)]));
    }
    return res / scale;
}

}  // namespace ef::test
