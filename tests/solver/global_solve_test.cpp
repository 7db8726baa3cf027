// The domain-decomposition iteration must converge to the solution of the one
// global finite-element system of the grid: all element matrices assembled
// over shared edges, absorbing terms on the physical boundary, the source on
// the right-hand side and no Robin terms. The global system is assembled
// densely from independent element tables and solved with a dense LU; the
// iteration runs with the program's own routines to a tight tolerance.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>

#include "common/units.hpp"
#include "solver/outer_iteration.hpp"
#include "support/dense_global_system.hpp"

namespace {

using ef::Complex;

struct Case {
    int nx, ny, kdel;
};

class GlobalSolve : public ::testing::TestWithParam<Case> {};

TEST_P(GlobalSolve, IterationConvergesToTheGlobalSystem) {
    const Case c = GetParam();
    ef::test::SmallModel m = ef::test::two_layer_model(c.nx, c.ny, c.kdel);
    ef::RunParams& p = m.p;
    p.maxiter = 20000;
    p.maxlow = 20000;
    p.jwlow = 0;
    p.reduc = 1e-13;

    ef::IterationState it(p.nx, p.ny);
    const ef::FrequencyProblem problem = ef::frequency_problem(p, m.jw, m.omega, m.fields, m.flags);
    std::istringstream in;
    std::ostringstream out;
    ef::Units units(in, out, ::testing::TempDir());
    ef::WaveField field;
    const ef::IterationResult r =
        ef::solve_by_iteration({units, p, m.a1.prints()}, problem, it, field);
    ASSERT_TRUE(r.converged) << "gerror " << r.gerror << " after " << r.iter;

    const ef::test::DenseSystem dense = ef::test::dense_global_system(m);
    const auto x = ef::test::dense_solve(dense);

    double scale = 0.0;
    for (const auto& v : x) scale = std::max(scale, std::abs(v));
    ASSERT_GT(scale, 0.0);
    double worst = 0.0;
    auto compare = [&](Complex got, int edge, int comp) {
        const std::complex<double> g(got.re, got.im);
        worst = std::max(worst, std::abs(g - x[static_cast<std::size_t>(2 * edge + comp)]) / scale);
    };
    using ef::Edge;
    for (int j = 1; j <= p.ny; ++j)
        for (int i = 1; i <= p.nx; ++i)
            for (int c = 1; c <= 2; ++c) {
                compare(field.trace(c, Edge::left, i, j), dense.vertical(i - 1, j), c - 1);
                compare(field.trace(c, Edge::right, i, j), dense.vertical(i, j), c - 1);
                compare(field.trace(c, Edge::bottom, i, j), dense.horizontal(i, j - 1), c - 1);
                compare(field.trace(c, Edge::top, i, j), dense.horizontal(i, j), c - 1);
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
