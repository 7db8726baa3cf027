// Cost of the subdomain solver: factorising one row, solving one row with the
// stored factors, and one outer iteration of the domain decomposition.
#include <benchmark/benchmark.h>

#include <omp.h>

#include <random>

#include "solver/element_fields.hpp"
#include "solver/interface_state.hpp"
#include "solver/outer_iteration.hpp"
#include "solver/robin.hpp"
#include "solver/row_system.hpp"
#include "solver/sweep.hpp"
#include "solver/thread_workspaces.hpp"

namespace {

using ef::Complex;

// A heterogeneous viscoelastic grid with absorbing borders and a plane source.
struct Model {
    Model(int nx_, int ny_) : nx(nx_), ny(ny_), el(nx_, ny_), beta(nx_, ny_) {
        std::mt19937 gen(7);
        std::uniform_real_distribution<double> uni(0.0, 1.0);
        for (int j = 0; j <= ny + 1; ++j)
            for (int i = 0; i <= nx + 1; ++i) {
                const double rho = 1800.0 + 600.0 * uni(gen), vp = 2.5 + 1.5 * uni(gen);
                const double vs = vp / 1.7, mu = rho * vs * vs, lam = rho * vp * vp - 2.0 * mu;
                el.rho(i, j) = rho;
                el.xmu(i, j) = {mu, 0.01 * mu};
                el.xln(i, j) = {lam, 0.01 * lam};
            }
        for (auto* v : {&el.vpleft, &el.vpright, &el.vpbot, &el.vptop}) v->assign(v->size(), {3.0, 0.0});
        for (auto* v : {&el.vsleft, &el.vsright, &el.vsbot, &el.vstop}) v->assign(v->size(), {1.7, 0.0});
        flags.deltal.assign(static_cast<std::size_t>(nx) + 2, 0.0);
        flags.deltar = flags.deltal;
        flags.deltab.assign(static_cast<std::size_t>(ny) + 2, 0.0);
        flags.deltat = flags.deltab;
        flags.deltal[1] = flags.deltar[static_cast<std::size_t>(nx)] = 1.0;
        flags.deltab[1] = flags.deltat[static_cast<std::size_t>(ny)] = 1.0;
        ef::inbeta(nx, ny, omega, el.rho, el.xln, el.xmu, 20, beta);
    }
    int nx, ny;
    double omega = 0.4, h = 5.0;
    ef::ElementFields el;
    ef::RobinCoefficients beta;
    ef::BoundaryFlags flags;
    std::vector<Complex> sour = std::vector<Complex>(30, Complex{1.0, 0.5});

    // frequency number 20 with a plane load in row 40
    ef::FrequencyProblem problem() const {
        return {nx, ny, h, 20, omega, el, flags, ef::SourceTerm::from_deck(9, 40, sour[20])};
    }
};

// assembly and factorisation of one row
void BM_factor_row(benchmark::State& state) {
    const int nx = static_cast<int>(state.range(0));
    Model m(nx, 1);
    ef::RowWorkspace ws(nx);
    ef::RowFactors f(nx, 1);
    for (auto _ : state) {
        ef::coeflu(1, m.problem(), m.beta, ws, f);
        benchmark::DoNotOptimize(f.lower_part(1));
    }
    state.SetItemsProcessed(state.iterations() * nx);
}
BENCHMARK(BM_factor_row)->Arg(200)->Arg(600);

void BM_factor15(benchmark::State& state) {
    const int nx = static_cast<int>(state.range(0));
    Model m(nx, 1);
    ef::RowWorkspace ws(nx);
    ef::RowFactors f(nx, 1);
    ef::coeflu(1, m.problem(), m.beta, ws, f);
    for (auto _ : state) {
        ef::factor15(nx, 1, ws.a, f);
        benchmark::DoNotOptimize(f.lower_part(1));
    }
    state.SetItemsProcessed(state.iterations() * nx);
}
BENCHMARK(BM_factor15)->Arg(200)->Arg(600);

void BM_solve_row(benchmark::State& state) {
    const int nx = static_cast<int>(state.range(0));
    Model m(nx, 1);
    ef::RowWorkspace ws(nx);
    ef::RowFactors f(nx, 1);
    ef::coeflu(1, m.problem(), m.beta, ws, f);
    for (std::size_t r = 1; r < ws.rhs.size(); ++r) ws.rhs[r] = {1.0 / static_cast<double>(r), 0.5};
    for (auto _ : state) {
        ef::solver15(nx, 1, ws.rhs, f, ws.answer, ws.y);
        benchmark::DoNotOptimize(ws.answer.data());
    }
    state.SetItemsProcessed(state.iterations() * nx);
}
BENCHMARK(BM_solve_row)->Arg(200)->Arg(600);

// rows solved together, two or four (items: rows x elements, as above)
void BM_solve_row_group(benchmark::State& state) {
    const int nx = static_cast<int>(state.range(0));
    const int count = static_cast<int>(state.range(1));
    Model m(nx, count);
    std::vector<ef::RowWorkspace> ws;
    for (int r = 0; r < count; ++r) ws.emplace_back(nx);
    ef::RowWorkspace* slots[ef::kRowGroup];
    int rows[ef::kRowGroup];
    ef::RowFactors f(nx, count);
    for (int r = 0; r < count; ++r) {
        slots[r] = &ws[static_cast<std::size_t>(r)];
        rows[r] = r + 1;
        ef::coeflu(r + 1, m.problem(), m.beta, *slots[r], f);
        for (std::size_t k = 1; k < slots[r]->rhs.size(); ++k)
            slots[r]->rhs[k] = {1.0 / static_cast<double>(k), 0.5};
    }
    for (auto _ : state) {
        ef::solver15_rows(nx, count, rows, slots, f);
        benchmark::DoNotOptimize(slots[0]->answer.data());
    }
    state.SetItemsProcessed(state.iterations() * count * nx);
}
BENCHMARK(BM_solve_row_group)->Args({200, 2})->Args({200, 4})->Args({600, 4});

// One outer iteration of a 200 x 150 grid as the frequency sweep runs it (a
// team of threads for the whole iteration; odd rows with the save, even rows,
// relaxation with the global error), with the number of OpenMP threads as
// argument.
void BM_outer_iteration(benchmark::State& state) {
    const int nx = 200, ny = 150;
    const int threads_before = omp_get_max_threads();
    omp_set_num_threads(static_cast<int>(state.range(0)));
    Model m(nx, ny);
    const ef::FrequencyProblem problem = m.problem();
    ef::IterationState s(nx, ny);
    s.beta = m.beta;
    s.workspaces.reserve_for_threads();
    ef::factorise_rows(problem, m.beta, s.workspaces, s.factors);
    double gerror = 0.0;
    ef::RowTeam::run(ef::iteration_in_parallel(nx, ny), [&](ef::RowTeam& team) {
        for (auto _ : state) {
            ef::outer_iteration(team, problem, s, {}, gerror);
            benchmark::DoNotOptimize(gerror);
        }
    });
    omp_set_num_threads(threads_before);
    state.counters["factor_MB"] =
        static_cast<double>(s.factors.entries_per_row() * ny * sizeof(Complex)) / 1e6;
}
BENCHMARK(BM_outer_iteration)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

// Factorisation of every row of the grid (once per frequency), threads as argument.
void BM_factorise_rows(benchmark::State& state) {
    const int nx = 200, ny = 150;
    const int threads_before = omp_get_max_threads();
    omp_set_num_threads(static_cast<int>(state.range(0)));
    Model m(nx, ny);
    ef::ThreadWorkspaces ws(nx);
    ef::RowFactors f(nx, ny);
    for (auto _ : state) {
        ef::factorise_rows(m.problem(), m.beta, ws, f);
        benchmark::DoNotOptimize(f.lower_part(1));
    }
    omp_set_num_threads(threads_before);
}
BENCHMARK(BM_factorise_rows)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

// The parts of the iteration outside the row solves.
void BM_relax_and_error(benchmark::State& state) {
    ef::InterfaceState s(200, 150);
    double gerror = 0.0, denomin = 0.0;
    for (auto _ : state) {
        s.save_previous();
        s.relax_and_measure(true, gerror, denomin);
        benchmark::DoNotOptimize(gerror);
    }
}
BENCHMARK(BM_relax_and_error)->Unit(benchmark::kMillisecond);

}  // namespace
