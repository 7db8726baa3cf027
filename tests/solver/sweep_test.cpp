// Row sweep: right-hand sides from sources, multipliers and neighbour traces,
// the multiplier update, and the converged iteration against a dense solve
// of the whole grid.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <random>

#include "solver/element_matrix.hpp"
#include "solver/interface_state.hpp"
#include "solver/sweep.hpp"
#include "solver_fixtures.hpp"

namespace {

using ef::Complex;
using ef::InterfaceState;
using ef::test::cd;
using ef::test::GridProblem;

struct Solver {
    explicit Solver(const GridProblem& p) : factors(p.nx, p.ny), ws(p.nx) {
        for (int j = 1; j <= p.ny; ++j)
            ef::coeflu(j, p.problem(), p.beta, ws, factors);
    }
    ef::RowFactors factors;
    ef::RowWorkspace ws;
};

const std::vector<Complex> spectrum = {{}, {0.3, -0.2}, {1.5, 0.75}, {-0.4, 2.0}};

// The deck's source: kind kdel in row ksou, at frequency number jw of spectrum.
struct DeckSource {
    int kdel, ksou, jw;
};

// solv1it of row j of p with the given source.
void solve_row(int j, const GridProblem& p, Solver& s, InterfaceState& st, DeckSource src) {
    const Complex amplitude = spectrum[static_cast<std::size_t>(src.jw)];
    const ef::FrequencyProblem problem =
        p.problem(ef::SourceTerm::from_deck(src.kdel, src.ksou, amplitude));
    ef::solv1it(j, {problem, p.beta, s.factors}, st, s.ws);
}

void fill_random(ef::Grid2<Complex>& g, std::mt19937& gen) {
    std::uniform_real_distribution<double> uni(-1.0, 1.0);
    for (std::size_t k = 0; k < g.size(); ++k) g.data()[k] = {uni(gen), uni(gen)};
}

TEST(Sweep, PlaneLoadReachesEveryDofOfTheSourceRow) {
    const GridProblem p = ef::test::make_problem(4, 3, 3u);
    Solver s(p);
    InterfaceState st(4, 3);
    const int n = 26;
    solve_row(2, p, s, st, {9, 2, 2});
    const Complex q = (0.25 * (p.h * p.h)) * spectrum[2];
    for (int r = 1; r <= n; ++r) {
        // the inner vertical edges are shared by two elements
        const bool shared = r > 2 && r < n - 1 && (r % 6 == 1 || r % 6 == 2);
        EXPECT_EQ(s.ws.rhs[static_cast<std::size_t>(r)], shared ? q + q : q) << r;
    }
    // the traces are the row solution; both sides of an inner edge agree
    const ef::test::Dense a = [&] {
        ef::RowFactors f(4, 3);
        ef::coeflu(2, p.problem(), p.beta, s.ws, f);
        return ef::test::dense_from_band(s.ws.a);
    }();
    std::vector<cd> x(static_cast<std::size_t>(n) + 1), b(x.size());
    for (int i = 1; i <= 4; ++i) {
        const Complex v[8] = {st.u1ln(i, 2), st.u2ln(i, 2), st.u1tn(i, 2), st.u2tn(i, 2),
                              st.u1bn(i, 2), st.u2bn(i, 2), st.u1rn(i, 2), st.u2rn(i, 2)};
        for (int k = 0; k < 8; ++k) x[static_cast<std::size_t>(6 * (i - 1) + k + 1)] = ef::test::to_std(v[k]);
        if (i < 4) {
            EXPECT_EQ(st.u1rn(i, 2), st.u1ln(i + 1, 2));
            EXPECT_EQ(st.u2rn(i, 2), st.u2ln(i + 1, 2));
        }
    }
    for (int r = 1; r <= n; ++r) b[static_cast<std::size_t>(r)] = ef::test::to_std(s.ws.rhs[static_cast<std::size_t>(r)]);
    EXPECT_LT(ef::test::relative_residual(a, x, b), 1e-13);
    // other rows stay untouched
    EXPECT_EQ(st.u1ln(2, 1), Complex{});
    EXPECT_EQ(st.u2tn(3, 3), Complex{});
}

TEST(Sweep, ForcePairsCancelInsideTheRow) {
    const GridProblem p = ef::test::make_problem(3, 2, 6u);
    Solver s(p);
    InterfaceState st(3, 2);
    solve_row(1, p, s, st, {1, 1, 3});
    const Complex f = 1000000.0 * (spectrum[3] / p.h);
    const int n = 20;
    for (int r = 1; r <= n; ++r) {
        Complex want{};
        if (r == 1) want = f;                     // left end of the row
        if (r == n - 1) want = Complex{} - f;     // right end
        if (r <= 18 && r % 6 == 4) want = Complex{} - f;  // top edges
        if (r <= 18 && r % 6 == 0) want = f;      // bottom edges
        EXPECT_EQ(s.ws.rhs[static_cast<std::size_t>(r)], want) << r;
    }
}

TEST(Sweep, NoSourceLeavesAZeroFieldZero) {
    const GridProblem p = ef::test::make_problem(3, 3, 9u);
    Solver s(p);
    for (const auto& [kdel, ksou] : std::vector<std::pair<int, int>>{{0, 2}, {5, 2}, {1, 0}, {1, 4}, {9, 4}}) {
        InterfaceState st(3, 3);
        for (int j = 1; j <= 3; ++j) {
            solve_row(j, p, s, st, {kdel, ksou, 1});
            ef::uplag(j, 3, p.beta, st);
        }
        for (auto* g : {&st.u1ln, &st.u1tn, &st.u1bn, &st.u1rn, &st.u2ln, &st.u2tn, &st.u2bn,
                        &st.u2rn, &st.lag1ln, &st.lag2ln, &st.lag1bn, &st.lag2bn})
            for (std::size_t k = 0; k < g->size(); ++k) EXPECT_EQ(g->data()[k], Complex{});
    }
}

TEST(Sweep, PhysicalBoundaryIgnoresExteriorData) {
    // garbage on every exterior edge: multipliers and ring traces
    const int nx = 3, ny = 2;
    const GridProblem p = ef::test::make_problem(nx, ny, 12u);
    Solver s(p);
    std::mt19937 gen(1);
    for (int j = 1; j <= ny; ++j) {
        InterfaceState clean(nx, ny), dirty(nx, ny);
        for (auto* g : {&dirty.lag1ln, &dirty.lag2ln, &dirty.lag1bn, &dirty.lag2bn,
                        &dirty.u1rn, &dirty.u2rn, &dirty.u1ln, &dirty.u2ln,
                        &dirty.u1tn, &dirty.u2tn, &dirty.u1bn, &dirty.u2bn})
            fill_random(*g, gen);
        // keep what the row may read from inside the grid equal in both states
        for (int i = 1; i <= nx; ++i)
            for (int jj = 1; jj <= ny; ++jj) {
                if (i > 1) { dirty.lag1ln(i, jj) = {}; dirty.lag2ln(i, jj) = {}; }
                if (jj > 1) { dirty.lag1bn(i, jj) = {}; dirty.lag2bn(i, jj) = {}; }
                for (auto* g : {&dirty.u1rn, &dirty.u2rn, &dirty.u1ln, &dirty.u2ln,
                                &dirty.u1tn, &dirty.u2tn, &dirty.u1bn, &dirty.u2bn})
                    (*g)(i, jj) = {};
            }
        solve_row(j, p, s, clean, {9, 1, 2});
        const std::vector<Complex> rhs_clean = s.ws.rhs;
        solve_row(j, p, s, dirty, {9, 1, 2});
        for (std::size_t r = 1; r < rhs_clean.size(); ++r) EXPECT_EQ(s.ws.rhs[r], rhs_clean[r]) << j << " " << r;
        for (int i = 1; i <= nx; ++i) EXPECT_EQ(clean.u2bn(i, j), dirty.u2bn(i, j));
    }
}

TEST(Sweep, InteriorCouplingTerms) {
    // open grid: every edge is an interface
    const int nx = 3, ny = 3;
    const GridProblem p = ef::test::make_problem(nx, ny, 14u, false);
    Solver s(p);
    std::mt19937 gen(5);
    InterfaceState st(nx, ny);
    fill_random(st.lag1ln, gen);
    fill_random(st.lag2ln, gen);
    solve_row(2, p, s, st, {0, 0, 2});
    // multipliers of the inner vertical edges cancel between the two elements
    for (int i = 2; i <= nx; ++i) {
        EXPECT_EQ(s.ws.rhs[static_cast<std::size_t>(6 * (i - 1) + 1)], Complex{});
        EXPECT_EQ(s.ws.rhs[static_cast<std::size_t>(6 * (i - 1) + 2)], Complex{});
    }
    // the row ends see -h lag on the left, +h lag(nx + 1) on the right
    EXPECT_EQ(s.ws.rhs[1], Complex{} - p.h * st.lag1ln(1, 2));
    EXPECT_EQ(s.ws.rhs[19], p.h * st.lag1ln(nx + 1, 2));

    // neighbour traces: the single element of a row takes a trace only on its right
    const GridProblem q = ef::test::make_problem(1, 1, 15u, false);
    Solver s1(q);
    InterfaceState one(1, 1);
    one.u1rn(0, 1) = {2.0, 1.0};
    one.u1ln(2, 1) = {-1.0, 3.0};
    one.u2bn(1, 2) = {0.5, 0.5};
    solve_row(1, q, s1, one, {0, 0, 2});
    EXPECT_EQ(s1.ws.rhs[1], Complex{});
    EXPECT_EQ(s1.ws.rhs[7], (q.h * q.beta.beta11r(1, 1)) * Complex({-1.0, 3.0}));
    EXPECT_EQ(s1.ws.rhs[4], (q.h * q.beta.beta22t(1, 1)) * Complex({0.5, 0.5}));
}

TEST(Sweep, MultiplierUpdate) {
    const int nx = 3, ny = 2;
    const GridProblem p = ef::test::make_problem(nx, ny, 17u, false);
    std::mt19937 gen(9);
    InterfaceState st(nx, ny);
    for (auto* g : {&st.u1ln, &st.u1tn, &st.u1bn, &st.u1rn, &st.u2ln, &st.u2tn, &st.u2bn, &st.u2rn,
                    &st.lag1ln, &st.lag2ln, &st.lag1bn, &st.lag2bn})
        fill_random(*g, gen);
    for (auto* g : {&st.u1rn, &st.u2rn}) for (int j = 0; j <= ny + 1; ++j) (*g)(0, j) = {};
    for (auto* g : {&st.u1tn, &st.u2tn}) for (int i = 0; i <= nx + 1; ++i) (*g)(i, 0) = {};
    const InterfaceState before = st;
    ef::uplag(1, nx, p.beta, st);
    for (int i = 1; i <= nx; ++i) {
        EXPECT_EQ(st.lag1ln(i, 1), before.lag1ln(i, 1) + p.beta.beta11l(i, 1) * (before.u1ln(i, 1) - before.u1rn(i - 1, 1)));
        EXPECT_EQ(st.lag2ln(i, 1), before.lag2ln(i, 1) + p.beta.beta22l(i, 1) * (before.u2ln(i, 1) - before.u2rn(i - 1, 1)));
        // bottom row: the neighbour below is the zero ring
        EXPECT_EQ(st.lag1bn(i, 1), before.lag1bn(i, 1) + p.beta.beta11b(i, 1) * before.u1bn(i, 1));
        EXPECT_EQ(st.lag2bn(i, 1), before.lag2bn(i, 1) + p.beta.beta22b(i, 1) * before.u2bn(i, 1));
        // other rows untouched
        EXPECT_EQ(st.lag1ln(i, 2), before.lag1ln(i, 2));
        EXPECT_EQ(st.lag2bn(i, 2), before.lag2bn(i, 2));
    }
    EXPECT_EQ(st.lag1ln(1, 1), before.lag1ln(1, 1) + p.beta.beta11l(1, 1) * before.u1ln(1, 1));
}

// Iterations with the rows of each parity pass taken in increasing or in
// decreasing order: rows of one pass must not see each other's writes, so
// that they can run in any order (or at the same time).
InterfaceState iterate(const GridProblem& p, Solver& s, int iterations, bool reversed) {
    InterfaceState st(p.nx, p.ny);
    for (int iter = 1; iter <= iterations; ++iter) {
        st.save_previous();
        for (int parity : {1, 0}) {
            std::vector<int> rows;
            for (int j = 1; j <= p.ny; ++j)
                if (j % 2 == parity) rows.push_back(j);
            if (reversed) std::reverse(rows.begin(), rows.end());
            for (int j : rows) solve_row(j, p, s, st, {1, 2, 3});
            for (int j : rows) ef::uplag(j, p.nx, p.beta, st);
        }
        st.relax();
    }
    return st;
}

TEST(Sweep, RowsOfOnePassAreIndependentAndRepeatable) {
    const GridProblem p = ef::test::make_problem(5, 7, 23u);
    Solver s(p);
    const InterfaceState a = iterate(p, s, 12, false);
    const InterfaceState b = iterate(p, s, 12, true);
    const InterfaceState c = iterate(p, s, 12, false);
    const ef::Grid2<Complex> InterfaceState::*grids[] = {
        &InterfaceState::u1ln, &InterfaceState::u1tn, &InterfaceState::u1bn, &InterfaceState::u1rn,
        &InterfaceState::u2ln, &InterfaceState::u2tn, &InterfaceState::u2bn, &InterfaceState::u2rn,
        &InterfaceState::lag1ln, &InterfaceState::lag2ln, &InterfaceState::lag1bn, &InterfaceState::lag2bn};
    for (auto g : grids)
        for (std::size_t k = 0; k < (a.*g).size(); ++k) {
            EXPECT_EQ((a.*g).data()[k], (b.*g).data()[k]);
            EXPECT_EQ((a.*g).data()[k], (c.*g).data()[k]);
        }
    EXPECT_NE(a.u1ln(3, 2), Complex{});
}

// --- the converged iteration against the whole grid solved at once --------

// Unknown numbers of the grid: two per edge, vertical edges first.
struct GlobalNumbering {
    int nx, ny;
    int vertical(int line, int j, int comp) const { return 2 * ((j - 1) * (nx + 1) + line) + comp; }
    int horizontal(int i, int line, int comp) const {
        return 2 * (ny * (nx + 1) + line * nx + (i - 1)) + comp;
    }
    int size() const { return 2 * (ny * (nx + 1) + (ny + 1) * nx); }
    // local dof k (0-based) of element (i, j)
    int dof(int i, int j, int k) const {
        const int comp = k % 2 + 1;
        switch (k / 2) {
            case 0: return vertical(i - 1, j, comp);
            case 1: return horizontal(i, j, comp);
            case 2: return horizontal(i, j - 1, comp);
            default: return vertical(i, j, comp);
        }
    }
};

std::vector<cd> global_solution(const GridProblem& p, int ksou, Complex sw, const GlobalNumbering& g) {
    ef::test::Dense a(g.size());
    std::vector<cd> b(static_cast<std::size_t>(g.size()) + 1);
    const cd I{0.0, 1.0};
    const cd q = 0.25 * p.h * p.h * ef::test::to_std(sw);
    for (int j = 1; j <= p.ny; ++j)
        for (int i = 1; i <= p.nx; ++i) {
            const double rho = p.el.rho(i, j);
            const ef::ElementMatrix e = ef::stiffness_minus_mass(p.el.xln(i, j), p.el.xmu(i, j), p.omega, rho, p.h);
            const auto is = static_cast<std::size_t>(i), js = static_cast<std::size_t>(j);
            // absorbing boundary: P velocity for the normal component
            const std::pair<bool, Complex> boundary[8] = {
                {i == 1, p.el.vpleft[js]}, {i == 1, p.el.vsleft[js]},
                {j == p.ny, p.el.vstop[is]}, {j == p.ny, p.el.vptop[is]},
                {j == 1, p.el.vsbot[is]}, {j == 1, p.el.vpbot[is]},
                {i == p.nx, p.el.vpright[js]}, {i == p.nx, p.el.vsright[js]}};
            for (int k = 0; k < 8; ++k) {
                const int r = g.dof(i, j, k);
                for (int m = 0; m < 8; ++m) a(r, g.dof(i, j, m)) += ef::test::to_std(e[k][m]);
                if (boundary[k].first) a(r, r) += I * p.omega * p.h * rho * ef::test::to_std(boundary[k].second);
                if (j == ksou) b[static_cast<std::size_t>(r)] += q;
            }
        }
    return ef::test::dense_solve(a, b);
}

TEST(Sweep, IterationConvergesToTheGlobalSolution) {
    const int nx = 4, ny = 5, ksou = 3, jw = 2;
    const GridProblem p = ef::test::make_problem(nx, ny, 41u, true, 0.25, 5.0);
    Solver s(p);
    InterfaceState st(nx, ny);
    double gerror = 1.0, denomin = 0.0;
    int iter = 1;
    for (; iter <= 20000; ++iter) {
        st.save_previous();
        for (int parity : {1, 0}) {
            for (int j = 1; j <= ny; ++j)
                if (j % 2 == parity) solve_row(j, p, s, st, {9, ksou, jw});
            for (int j = 1; j <= ny; ++j)
                if (j % 2 == parity) ef::uplag(j, nx, p.beta, st);
        }
        st.relax();
        if (iter >= 2) st.global_error(gerror, denomin);
        if (iter >= 2 && gerror < 1e-13) break;
    }
    std::cout << "domain decomposition: " << iter << " iterations to a global error of " << gerror << "\n";
    ASSERT_LT(gerror, 1e-13);

    const GlobalNumbering g{nx, ny};
    const std::vector<cd> x = global_solution(p, ksou, spectrum[jw], g);
    double scale = 0.0, worst = 0.0;
    for (int j = 1; j <= ny; ++j)
        for (int i = 1; i <= nx; ++i) {
            const Complex v[8] = {st.u1ln(i, j), st.u2ln(i, j), st.u1tn(i, j), st.u2tn(i, j),
                                  st.u1bn(i, j), st.u2bn(i, j), st.u1rn(i, j), st.u2rn(i, j)};
            for (int k = 0; k < 8; ++k) {
                const cd want = x[static_cast<std::size_t>(g.dof(i, j, k))];
                scale = std::max(scale, std::abs(want));
                worst = std::max(worst, std::abs(ef::test::to_std(v[k]) - want));
            }
        }
    std::cout << "domain decomposition: max difference to the global dense solve "
              << worst / scale << " (relative)\n";
    EXPECT_LT(worst / scale, 1e-9);
}

}  // namespace
