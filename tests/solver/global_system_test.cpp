// The global system of the direct program against the independent dense
// reference: the assembled matrix and right-hand side entry by entry, the
// MUMPS solution against a dense LU, the residual, the element traces, and
// the repeatability that the spreading of frequencies over ranks relies on.
#include <gtest/gtest.h>

#include <algorithm>
#include <complex>
#include <set>
#include <string>
#include <utility>

#include "solver/direct_solve.hpp"
#include "solver/grid_dissection.hpp"
#include "solver/global_system.hpp"
#include "solver/wave_field.hpp"
#include "support/dense_global_system.hpp"

namespace {

using ef::Complex;

struct Case {
    int nx, ny, kdel;
};

std::string case_name(const ::testing::TestParamInfo<Case>& info) {
    return std::to_string(info.param.nx) + "x" + std::to_string(info.param.ny) + "_kdel" +
           std::to_string(info.param.kdel);
}

class GlobalSystem : public ::testing::TestWithParam<Case> {
protected:
    void SetUp() override {
        const Case c = GetParam();
        model = ef::test::two_layer_model(c.nx, c.ny, c.kdel);
        assembly = std::make_unique<ef::GlobalAssembly>(c.nx, c.ny);
        assemble(model.omega);
    }
    void assemble(double omega) {
        assembly->assemble(
            ef::frequency_problem(model.p, model.jw, omega, model.fields, model.flags));
    }

    ef::test::SmallModel model;
    std::unique_ptr<ef::GlobalAssembly> assembly;
};

TEST_P(GlobalSystem, AssemblyEqualsTheDenseReference) {
    const ef::CoordinateSystem& s = assembly->system();
    const ef::test::DenseSystem dense = ef::test::dense_global_system(model);
    ASSERT_EQ(s.n, dense.n);

    // Each lower-triangle position once.
    std::set<std::pair<int, int>> seen;
    std::vector<std::complex<double>> full(static_cast<std::size_t>(s.n) * s.n);
    for (std::size_t e = 0; e < s.value.size(); ++e) {
        const int r = s.row[e], c = s.column[e];
        ASSERT_GE(r, c);
        ASSERT_TRUE(seen.insert({r, c}).second) << "position " << r << ", " << c << " twice";
        const std::complex<double> v(s.value[e].re, s.value[e].im);
        full[static_cast<std::size_t>(r - 1) * s.n + (c - 1)] = v;
        full[static_cast<std::size_t>(c - 1) * s.n + (r - 1)] = v;
    }
    double scale = 0.0, worst = 0.0;
    for (const auto& v : dense.a) scale = std::max(scale, std::abs(v));
    for (std::size_t k = 0; k < full.size(); ++k)
        worst = std::max(worst, std::abs(full[k] - dense.a[k]));
    EXPECT_LT(worst, 1e-13 * scale);

    double rhs_scale = 0.0, rhs_worst = 0.0;
    for (std::size_t r = 0; r < dense.b.size(); ++r) {
        rhs_scale = std::max(rhs_scale, std::abs(dense.b[r]));
        rhs_worst = std::max(rhs_worst, std::abs(std::complex<double>(s.rhs[r].re, s.rhs[r].im) -
                                                 dense.b[r]));
    }
    EXPECT_LE(rhs_worst, 1e-15 * rhs_scale);
}

TEST_P(GlobalSystem, DirectSolutionEqualsTheDenseSolution) {
    const ef::CoordinateSystem& s = assembly->system();
    ef::DirectSolver solver(s);
    const std::vector<Complex> x = solver.solve(s);
    const auto reference = ef::test::dense_solve(ef::test::dense_global_system(model));

    double scale = 0.0, worst = 0.0;
    for (std::size_t r = 0; r < x.size(); ++r) {
        scale = std::max(scale, std::abs(reference[r]));
        worst = std::max(worst, std::abs(std::complex<double>(x[r].re, x[r].im) - reference[r]));
    }
    ASSERT_GT(scale, 0.0);
    EXPECT_LE(worst, 1e-10 * scale);
    EXPECT_LT(ef::relative_residual(s, x), 1e-12);
}

TEST_P(GlobalSystem, TracesOfASharedEdgeAreEqualOnBothSides) {
    const ef::CoordinateSystem& s = assembly->system();
    ef::DirectSolver solver(s);
    const std::vector<Complex> x = solver.solve(s);
    const int nx = model.p.nx, ny = model.p.ny;
    const ef::WaveField field(assembly->numbering(), x);
    using ef::Edge;

    const ef::test::DenseSystem dense = ef::test::dense_global_system(model);
    auto unknown = [&](int edge, int comp) { return x[static_cast<std::size_t>(2 * edge + comp)]; };
    for (int j = 1; j <= ny; ++j) {
        for (int i = 1; i <= nx; ++i) {
            for (int c = 1; c <= 2; ++c) {
                EXPECT_EQ(field.trace(c, Edge::left, i, j), unknown(dense.vertical(i - 1, j), c - 1));
                EXPECT_EQ(field.trace(c, Edge::top, i, j), unknown(dense.horizontal(i, j), c - 1));
                EXPECT_EQ(field.trace(c, Edge::bottom, i, j),
                          unknown(dense.horizontal(i, j - 1), c - 1));
                EXPECT_EQ(field.trace(c, Edge::right, i, j), unknown(dense.vertical(i, j), c - 1));
            }
            if (i > 1) {
                EXPECT_EQ(field.trace(1, Edge::left, i, j), field.trace(1, Edge::right, i - 1, j));
            }
            if (j > 1) {
                EXPECT_EQ(field.trace(2, Edge::bottom, i, j), field.trace(2, Edge::top, i, j - 1));
            }
        }
    }
    // the ghost ring stays zero
    for (int i = 0; i <= nx + 1; ++i) {
        EXPECT_EQ(field.trace(1, Edge::bottom, i, 0), Complex{});
        EXPECT_EQ(field.trace(2, Edge::top, i, ny + 1), Complex{});
    }
}

// A solver analysed once gives the same bits whatever it solved before: a
// rank that solves frequencies a, c, e gives the bits of one that solves c alone.
TEST_P(GlobalSystem, SolutionDoesNotDependOnWhatTheSolverSolvedBefore) {
    ef::DirectSolver reused(assembly->system());
    reused.solve(assembly->system());
    assemble(0.5 * model.omega);
    const std::vector<Complex> after_another = reused.solve(assembly->system());
    ef::DirectSolver fresh(assembly->system());
    const std::vector<Complex> alone = fresh.solve(assembly->system());
    ASSERT_EQ(after_another.size(), alone.size());
    for (std::size_t r = 0; r < alone.size(); ++r) ASSERT_EQ(after_another[r], alone[r]) << r;
}

INSTANTIATE_TEST_SUITE_P(Grids, GlobalSystem,
                         ::testing::Values(Case{1, 1, 9}, Case{3, 2, 1}, Case{4, 5, 9},
                                           Case{6, 3, 1}, Case{5, 4, 9}, Case{2, 7, 1}),
                         case_name);

// Every ordering on offer gives the dense solution on a grid large enough for
// a nested dissection to cut (with the residual of an exact factorisation);
// systems too small for METIS fall back to approximate minimum fill.
TEST(GlobalSystemOrderings, EveryOrderingGivesTheDenseSolution) {
    ef::test::SmallModel m = ef::test::two_layer_model(12, 9, 9);
    ef::GlobalAssembly assembly(12, 9);
    assembly.assemble(ef::frequency_problem(m.p, m.jw, m.omega, m.fields, m.flags));
    const ef::CoordinateSystem& s = assembly.system();
    const auto reference = ef::test::dense_solve(ef::test::dense_global_system(m));
    double scale = 0.0;
    for (const auto& v : reference) scale = std::max(scale, std::abs(v));
    ASSERT_GT(scale, 0.0);
    for (const ef::Ordering ordering :
         {ef::Ordering::grid_dissection, ef::Ordering::nested_dissection, ef::Ordering::approximate_minimum_fill,
          ef::Ordering::approximate_minimum_degree, ef::Ordering::quasi_dense_minimum_degree,
          ef::Ordering::scotch, ef::Ordering::pord}) {
        ef::DirectSolverOptions options;
        options.ordering = ordering;
        if (ordering == ef::Ordering::grid_dissection)
            options.order = ef::grid_dissection_order(assembly.numbering());
        ef::DirectSolver solver(s, options);
        EXPECT_EQ(solver.ordering(), ordering);
        const std::vector<Complex> x = solver.solve(s);
        double worst = 0.0;
        for (std::size_t r = 0; r < x.size(); ++r)
            worst = std::max(worst, std::abs(std::complex<double>(x[r].re, x[r].im) - reference[r]));
        EXPECT_LE(worst, 1e-10 * scale) << ef::ordering_name(ordering);
        EXPECT_LT(ef::relative_residual(s, x), 1e-13) << ef::ordering_name(ordering);
        EXPECT_GT(solver.last_factorisation().factor_entries, s.n) << ef::ordering_name(ordering);
        EXPECT_GT(solver.last_factorisation().operations, 0.0) << ef::ordering_name(ordering);
    }

    ef::test::SmallModel tiny = ef::test::two_layer_model(1, 1, 9);
    ef::GlobalAssembly one(1, 1);
    one.assemble(ef::frequency_problem(tiny.p, tiny.jw, tiny.omega, tiny.fields, tiny.flags));
    EXPECT_EQ(ef::DirectSolver(one.system(), {}).ordering(), ef::Ordering::approximate_minimum_fill);
    // the grid's dissection copes with a single element
    ef::DirectSolverOptions grid;
    grid.order = ef::grid_dissection_order(one.numbering());
    ef::DirectSolver single(one.system(), grid);
    EXPECT_EQ(single.ordering(), ef::Ordering::grid_dissection);
    EXPECT_LT(ef::relative_residual(one.system(), single.solve(one.system())), 1e-14);
    // the grid's dissection asked for without the grid: METIS's
    EXPECT_EQ(ef::DirectSolver(s, {}).ordering(), ef::Ordering::nested_dissection);
}

TEST(GlobalSystemZero, NoSourceGivesAZeroFieldWithZeroResidual) {
    ef::test::SmallModel m = ef::test::two_layer_model(3, 3, 0);
    ef::GlobalAssembly assembly(3, 3);
    assembly.assemble(ef::frequency_problem(m.p, m.jw, m.omega, m.fields, m.flags));
    ef::DirectSolver solver(assembly.system());
    const std::vector<Complex> x = solver.solve(assembly.system());
    for (const Complex& v : x) EXPECT_EQ(v, Complex{});
    EXPECT_EQ(ef::relative_residual(assembly.system(), x), 0.0);
}

// One matrix serves several sources: the right-hand side of another source
// leaves the matrix as it was and equals that source's own assembly.
TEST(GlobalSystemSources, RightHandSideIsAssembledApartFromTheMatrix) {
    const ef::test::SmallModel m = ef::test::two_layer_model(4, 3, 9);
    ef::FrequencyProblem plane_load = ef::frequency_problem(m.p, m.jw, m.omega, m.fields, m.flags);
    ef::FrequencyProblem plane_force = plane_load;
    plane_force.source = ef::SourceTerm::from_deck(1, 1, Complex{0.5, -2.0});
    ef::GlobalAssembly shared(4, 3), own(4, 3);
    shared.assemble(plane_load);
    const std::vector<Complex> matrix = shared.system().value;
    shared.assemble_rhs(plane_force);
    own.assemble(plane_force);
    EXPECT_EQ(shared.system().value, matrix);
    EXPECT_EQ(shared.system().rhs, own.system().rhs);
    EXPECT_NE(shared.system().rhs, std::vector<Complex>(shared.system().rhs.size()));
}

TEST(EdgeNumbering, CountsEveryEdgeOnceAndAnEmptyGridHasNone) {
    const ef::EdgeNumbering n(4, 3);
    EXPECT_EQ(n.edges(), 5 * 3 + 4 * 4);
    std::set<int> unknowns;
    for (int j = 1; j <= 3; ++j)
        for (int i = 1; i <= 4; ++i)
            for (int u : n.element_unknowns(i, j)) unknowns.insert(u);
    EXPECT_EQ(static_cast<int>(unknowns.size()), n.unknowns());
    EXPECT_EQ(*unknowns.begin(), 0);
    EXPECT_EQ(*unknowns.rbegin(), n.unknowns() - 1);
    EXPECT_EQ(ef::EdgeNumbering(0, 5).unknowns(), 0);
    EXPECT_EQ(ef::EdgeNumbering(5, 0).unknowns(), 0);
}

}  // namespace
