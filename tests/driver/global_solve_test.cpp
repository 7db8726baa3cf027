// The domain-decomposition iteration must converge to the solution of the one
// global finite-element system of the grid: all element matrices assembled
// over shared edges, absorbing terms on the physical boundary, the source on
// the right-hand side and no Robin terms. The global system is assembled here
// from the element tables and solved with a dense LU; the iteration runs with
// the program's own routines to a tight tolerance.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <sstream>
#include <vector>

#include "common/complex.hpp"
#include "common/units.hpp"
#include "driver/frequency_sweep.hpp"
#include "model/boundary.hpp"

namespace {

using ef::Complex;

// Stiffness as (a lambda + b mu) / 28 per entry, local order
// u1 L, u2 L, u1 T, u2 T, u1 B, u2 B, u1 R, u2 R.
struct LamePair { int a, b; };
constexpr LamePair kStiffness[8][8] = {
    {{65, 167}, {0, 0}, {-37, -111}, {-28, 0}, {-37, -111}, {28, 0}, {9, 55}, {0, 0}},
    {{0, 0}, {37, 139}, {0, -28}, {-37, -111}, {0, 28}, {-37, -111}, {0, 0}, {37, 83}},
    {{-37, -111}, {0, -28}, {37, 139}, {0, 0}, {37, 83}, {0, 0}, {-37, -111}, {0, 28}},
    {{-28, 0}, {-37, -111}, {0, 0}, {65, 167}, {0, 0}, {9, 55}, {28, 0}, {-37, -111}},
    {{-37, -111}, {0, 28}, {37, 83}, {0, 0}, {37, 139}, {0, 0}, {-37, -111}, {0, -28}},
    {{28, 0}, {-37, -111}, {0, 0}, {9, 55}, {0, 0}, {65, 167}, {-28, 0}, {-37, -111}},
    {{9, 55}, {0, 0}, {-37, -111}, {28, 0}, {-37, -111}, {-28, 0}, {65, 167}, {0, 0}},
    {{0, 0}, {37, 83}, {0, 28}, {-37, -111}, {0, -28}, {-37, -111}, {0, 0}, {37, 139}},
};
constexpr int kMass[8][8] = {
    {781, 0, 269, 0, 269, 0, -59, 0}, {0, 781, 0, 269, 0, 269, 0, -59},
    {269, 0, 781, 0, -59, 0, 269, 0}, {0, 269, 0, 781, 0, -59, 0, 269},
    {269, 0, -59, 0, 781, 0, 269, 0}, {0, 269, 0, -59, 0, 781, 0, 269},
    {-59, 0, 269, 0, 269, 0, 781, 0}, {0, -59, 0, 269, 0, 269, 0, 781},
};

std::complex<double> to_std(Complex z) { return {z.re, z.im}; }

// Dense LU with partial pivoting.
std::vector<std::complex<double>> dense_solve(std::vector<std::complex<double>> a,
                                              std::vector<std::complex<double>> b, int n) {
    for (int k = 0; k < n; ++k) {
        int piv = k;
        for (int r = k + 1; r < n; ++r)
            if (std::abs(a[r * n + k]) > std::abs(a[piv * n + k])) piv = r;
        for (int c = 0; c < n; ++c) std::swap(a[k * n + c], a[piv * n + c]);
        std::swap(b[k], b[piv]);
        for (int r = k + 1; r < n; ++r) {
            const auto f = a[r * n + k] / a[k * n + k];
            for (int c = k; c < n; ++c) a[r * n + c] -= f * a[k * n + c];
            b[r] -= f * b[k];
        }
    }
    std::vector<std::complex<double>> x(n);
    for (int k = n - 1; k >= 0; --k) {
        auto s = b[k];
        for (int c = k + 1; c < n; ++c) s -= a[k * n + c] * x[c];
        x[k] = s / a[k * n + k];
    }
    return x;
}

struct Case {
    int nx, ny, kdel;
};

class GlobalSolve : public ::testing::TestWithParam<Case> {};

TEST_P(GlobalSolve, IterationConvergesToTheGlobalSystem) {
    const Case c = GetParam();
    ef::RunParams p;
    p.nx = c.nx;
    p.ny = c.ny;
    p.h = 10.0;
    p.kdel = c.kdel;
    p.ksou = (c.ny + 1) / 2;
    p.maxiter = 20000;
    p.maxlow = 20000;
    p.jwlow = 0;
    p.reduc = 1e-13;
    const int jw = 8;
    p.sour.assign(jw + 1, Complex{});
    p.sour[jw] = Complex{1.0, 0.5};
    ef::ProcessGrid a1;
    a1.ncontrol = 1;  // silent
    a1.nsx = a1.nsy = 1;
    ef::subtype(a1);
    ef::BoundaryFlags flags;
    ef::setdelta(p.nx, p.ny, a1, flags);

    ef::SweepState s(p);
    // Two materials: a slow viscoelastic layer over a fast elastic one.
    for (int j = 0; j <= p.ny + 1; ++j) {
        for (int i = 0; i <= p.nx + 1; ++i) {
            const bool top = j > p.ny / 2;
            const double rho = top ? 1800.0 : 2400.0;
            const Complex mu = top ? Complex{3000.0, 60.0} : Complex{9000.0, 0.0};
            const Complex pmod = top ? Complex{11000.0, 150.0} : Complex{27000.0, 0.0};
            s.fields.rho(i, j) = rho;
            s.fields.xmu(i, j) = mu;
            s.fields.xln(i, j) = pmod - 2.0 * mu;
            const Complex vp{std::sqrt(pmod.re / rho), 0.0}, vs{std::sqrt(mu.re / rho), 0.0};
            if (i == 1) { s.fields.vpleft[j] = vp; s.fields.vsleft[j] = vs; }
            if (i == p.nx) { s.fields.vpright[j] = vp; s.fields.vsright[j] = vs; }
            if (j == 1) { s.fields.vpbot[i] = vp; s.fields.vsbot[i] = vs; }
            if (j == p.ny) { s.fields.vptop[i] = vp; s.fields.vstop[i] = vs; }
        }
    }
    const double omega = 6.28318530717958 * 0.03;
    ef::inbeta(p.nx, p.ny, omega, s.fields.rho, s.fields.xln, s.fields.xmu, jw, s.beta);
    ef::RowWorkspace ws(p.nx);
    for (int j = 1; j <= p.ny; ++j)
        ef::coeflu(j, p.nx, omega, p.h, s.fields, s.beta, flags, ws, s.factors);

    std::istringstream in;
    std::ostringstream out;
    ef::Units units(in, out, ::testing::TempDir());
    const ef::IterationResult r = ef::iterate_frequency(units, p, a1, jw, flags, s);
    ASSERT_TRUE(r.converged) << "gerror " << r.gerror << " after " << r.iter;

    // Global system over the edges: vertical edge (i, j), i = 0..nx, and
    // horizontal edge (i, j), j = 0..ny; two components each.
    const int nv = (p.nx + 1) * p.ny;
    const int nedges = nv + p.nx * (p.ny + 1);
    const int n = 2 * nedges;
    auto vertical = [&](int i, int j) { return i + (p.nx + 1) * (j - 1); };
    auto horizontal = [&](int i, int j) { return nv + (i - 1) + p.nx * j; };
    std::vector<std::complex<double>> a(static_cast<std::size_t>(n) * n), b(n);
    const std::complex<double> I(0.0, 1.0);
    const std::complex<double> src = to_std(p.sour[jw]);
    for (int j = 1; j <= p.ny; ++j) {
        for (int i = 1; i <= p.nx; ++i) {
            const int edge[4] = {vertical(i - 1, j), horizontal(i, j), horizontal(i, j - 1),
                                 vertical(i, j)};
            int dof[8];
            for (int k = 0; k < 8; ++k) dof[k] = 2 * edge[k / 2] + k % 2;
            const auto lam = to_std(s.fields.xln(i, j)), mu = to_std(s.fields.xmu(i, j));
            const double rho = s.fields.rho(i, j);
            for (int k = 0; k < 8; ++k)
                for (int m = 0; m < 8; ++m) {
                    auto e = (double(kStiffness[k][m].a) * lam + double(kStiffness[k][m].b) * mu) / 28.0 -
                             omega * omega * rho * p.h * p.h * kMass[k][m] / 5040.0;
                    a[static_cast<std::size_t>(dof[k]) * n + dof[m]] += e;
                }
            // first-order absorbing terms: P velocity for the normal component
            auto absorb = [&](int k, Complex v) {
                a[static_cast<std::size_t>(dof[k]) * n + dof[k]] += I * omega * p.h * rho * v.re;
            };
            if (i == 1) { absorb(0, s.fields.vpleft[j]); absorb(1, s.fields.vsleft[j]); }
            if (i == p.nx) { absorb(6, s.fields.vpright[j]); absorb(7, s.fields.vsright[j]); }
            if (j == 1) { absorb(4, s.fields.vsbot[i]); absorb(5, s.fields.vpbot[i]); }
            if (j == p.ny) { absorb(2, s.fields.vstop[i]); absorb(3, s.fields.vptop[i]); }
            if (j == p.ksou) {
                if (c.kdel == 9) {
                    for (int k = 0; k < 8; ++k) b[dof[k]] += 0.25 * p.h * p.h * src;
                } else if (c.kdel == 1) {
                    const auto f = src / p.h * 1000000.0;
                    b[dof[0]] += f;
                    b[dof[6]] -= f;
                    b[dof[5]] += f;
                    b[dof[3]] -= f;
                }
            }
        }
    }
    const auto x = dense_solve(a, b, n);

    double scale = 0.0;
    for (const auto& v : x) scale = std::max(scale, std::abs(v));
    ASSERT_GT(scale, 0.0);
    double worst = 0.0;
    auto compare = [&](Complex got, int edge, int comp) {
        worst = std::max(worst, std::abs(to_std(got) - x[2 * edge + comp]) / scale);
    };
    const ef::InterfaceState& st = s.state;
    for (int j = 1; j <= p.ny; ++j)
        for (int i = 1; i <= p.nx; ++i) {
            compare(st.u1ln(i, j), vertical(i - 1, j), 0);
            compare(st.u2ln(i, j), vertical(i - 1, j), 1);
            compare(st.u1rn(i, j), vertical(i, j), 0);
            compare(st.u2rn(i, j), vertical(i, j), 1);
            compare(st.u1bn(i, j), horizontal(i, j - 1), 0);
            compare(st.u2bn(i, j), horizontal(i, j - 1), 1);
            compare(st.u1tn(i, j), horizontal(i, j), 0);
            compare(st.u2tn(i, j), horizontal(i, j), 1);
        }
    EXPECT_LT(worst, 1e-7) << "after " << r.iter << " iterations";
}

INSTANTIATE_TEST_SUITE_P(Grids, GlobalSolve,
                         ::testing::Values(Case{1, 1, 9}, Case{3, 2, 9}, Case{3, 2, 1},
                                           Case{4, 5, 9}, Case{4, 5, 1}, Case{6, 3, 1}),
                         [](const auto& info) {
                             return std::to_string(info.param.nx) + "x" +
                                    std::to_string(info.param.ny) + "_kdel" +
                                    std::to_string(info.param.kdel);
                         });

}  // namespace
