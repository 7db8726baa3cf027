// The thread count never changes a result: the field solve of several
// frequencies, the snapshot sums, the receiver spectra, the Fourier kernels
// and a whole run of elastofreq give the same bits with one and two threads.
#include <gtest/gtest.h>
#include <omp.h>

#include <cstring>
#include <filesystem>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "common/fourier.hpp"
#include "common/units.hpp"
#include "driver/frequency_sweep.hpp"
#include "model/boundary.hpp"
#include "solver/outer_iteration.hpp"
#include "support/program_runner.hpp"
#include "support/records.hpp"

namespace {

using ef::Complex;

// Runs a piece of work with a given number of OpenMP threads and restores
// the count afterwards.
template <class Work>
auto with_threads(int threads, Work work) {
    const int before = omp_get_max_threads();
    omp_set_num_threads(threads);
    auto result = work();
    omp_set_num_threads(before);
    return result;
}

bool same_bits(const Complex* a, const Complex* b, std::size_t n) {
    return std::memcmp(a, b, n * sizeof(Complex)) == 0;
}

// Everything a frequency leaves behind, for a bitwise comparison.
struct SweepOutcome {
    std::vector<int> iters;
    std::vector<double> gerrors, denomins;
    std::vector<std::vector<Complex>> arrays;  // the 24 interface arrays
    std::vector<Complex> factors;              // of the last frequency
    std::vector<double> tpic1, tpic2;
    std::vector<Complex> fu1, fu2;
};

// A heterogeneous grid large enough for every row loop to be shared out
// between threads, with a plane source, solved at three frequencies in a
// row (each starting from the previous one's state), then accumulated into
// snapshot sums and receiver spectra. With reduc 1e-12 no frequency
// converges in its 40 iterations; with a larger one they stop early (with
// more than one thread, after an odd pass run ahead that must be undone).
SweepOutcome solve_grid(int nx, int ny, int kdel, double reduc = 1e-12) {
    ef::RunParams p;
    p.nx = nx;
    p.ny = ny;
    p.h = 8.0;
    p.kdel = kdel;
    p.ksou = ny / 3;
    p.maxiter = 40;
    p.maxlow = 40;
    p.jwlow = 0;
    p.reduc = reduc;
    p.sour.assign(21, Complex{});
    for (int jw = 1; jw <= 20; ++jw) p.sour[jw] = {1.0 / jw, 0.3 - 0.01 * jw};
    p.nsnapt = 4;
    p.itsnap = {0, 1, 17, 90, 400};
    p.dt = 0.2;
    p.delw = 0.031;
    p.nrec = 6;
    p.irx = {0, 1, 5, 9, 13, 17, nx};
    p.iry = {0, ny, ny, 2, 3, ny / 2, 1};
    ef::ProcessGrid a1;
    a1.ncontrol = 1;
    a1.nsx = a1.nsy = 1;
    ef::subtype(a1);
    ef::BoundaryFlags flags;
    ef::setdelta(nx, ny, a1, flags);

    ef::SweepState s(p);
    ef::IterationState it(nx, ny);
    std::mt19937 gen(11);
    std::uniform_real_distribution<double> uni(0.0, 1.0);
    for (int j = 0; j <= ny + 1; ++j)
        for (int i = 0; i <= nx + 1; ++i) {
            const double rho = 1800.0 + 600.0 * uni(gen), vp = 2.0 + 2.0 * uni(gen);
            const double mu = rho * (vp / 1.8) * (vp / 1.8), lam = rho * vp * vp - 2.0 * mu;
            s.fields.rho(i, j) = rho;
            s.fields.xmu(i, j) = {mu, 0.02 * mu};
            s.fields.xln(i, j) = {lam, 0.01 * lam};
        }
    for (auto* v : {&s.fields.vpleft, &s.fields.vpright, &s.fields.vpbot, &s.fields.vptop})
        v->assign(v->size(), {3.0, 0.0});
    for (auto* v : {&s.fields.vsleft, &s.fields.vsright, &s.fields.vsbot, &s.fields.vstop})
        v->assign(v->size(), {1.7, 0.0});

    std::istringstream in;
    std::ostringstream out;
    ef::Units units(in, out, ::testing::TempDir());
    SweepOutcome o;
    for (int jw = 14; jw >= 12; --jw) {
        const double omega = 6.28318530717958 * 0.004 * jw;
        const ef::FrequencyProblem problem = ef::frequency_problem(p, jw, omega, s.fields, flags);
        const ef::IterationResult r =
            ef::solve_by_iteration({units, p, a1.prints()}, problem, it, s.field);
        o.iters.push_back(r.iter);
        o.gerrors.push_back(r.gerror);
        o.denomins.push_back(it.denomin);
        ef::finvpic2(p, jw, s.field, s.sums);
        ef::savtrace(p, jw, s.field, s.spectra);
    }
    const ef::InterfaceState& st = it.state;
    for (const auto* g : {&st.u1ln, &st.u1tn, &st.u1bn, &st.u1rn, &st.u2ln, &st.u2tn, &st.u2bn,
                          &st.u2rn, &st.lag1ln, &st.lag2ln, &st.lag1bn, &st.lag2bn, &st.u1lnp1,
                          &st.u1tnp1, &st.u1bnp1, &st.u1rnp1, &st.u2lnp1, &st.u2tnp1,
                          &st.u2bnp1, &st.u2rnp1, &st.lag1lnp1, &st.lag2lnp1, &st.lag1bnp1,
                          &st.lag2bnp1})
        o.arrays.emplace_back(g->data(), g->data() + g->size());
    for (int j = 1; j <= ny; ++j)
        o.factors.insert(o.factors.end(), it.factors.lower_part(j),
                         it.factors.lower_part(j) + it.factors.entries_per_row());
    for (int k = 1; k <= p.nsnapt; ++k)
        for (int j = 1; j <= ny; ++j)
            for (int i = 1; i <= nx; ++i) {
                o.tpic1.push_back(s.sums.tpic1(i, j, k));
                o.tpic2.push_back(s.sums.tpic2(i, j, k));
            }
    for (int k = 1; k <= p.nrec; ++k)
        for (int jw = 12; jw <= 14; ++jw) {
            o.fu1.push_back(s.spectra.fu1(jw, k));
            o.fu2.push_back(s.spectra.fu2(jw, k));
        }
    return o;
}

void expect_same(const SweepOutcome& one, const SweepOutcome& two) {
    EXPECT_EQ(one.iters, two.iters);
    // gerror and denomin compared as bits, not within a tolerance
    ASSERT_EQ(one.gerrors.size(), two.gerrors.size());
    EXPECT_EQ(std::memcmp(one.gerrors.data(), two.gerrors.data(), one.gerrors.size() * 8), 0);
    EXPECT_EQ(std::memcmp(one.denomins.data(), two.denomins.data(), one.denomins.size() * 8), 0);
    ASSERT_EQ(one.arrays.size(), two.arrays.size());
    for (std::size_t a = 0; a < one.arrays.size(); ++a)
        EXPECT_TRUE(same_bits(one.arrays[a].data(), two.arrays[a].data(), one.arrays[a].size()))
            << "interface array " << a;
    ASSERT_EQ(one.factors.size(), two.factors.size());
    EXPECT_TRUE(same_bits(one.factors.data(), two.factors.data(), one.factors.size()));
    EXPECT_EQ(std::memcmp(one.tpic1.data(), two.tpic1.data(), one.tpic1.size() * 8), 0);
    EXPECT_EQ(std::memcmp(one.tpic2.data(), two.tpic2.data(), one.tpic2.size() * 8), 0);
    EXPECT_TRUE(same_bits(one.fu1.data(), two.fu1.data(), one.fu1.size()));
    EXPECT_TRUE(same_bits(one.fu2.data(), two.fu2.data(), one.fu2.size()));
}

TEST(Threads, FieldSolveSnapshotSumsAndSpectraDoNotDependOnTheThreadCount) {
    // odd and even row counts (the last row pass of either parity alone), both
    // source types
    for (const auto& [nx, ny, kdel, reduc] :
         {std::tuple{41, 27, 9, 1e-12}, std::tuple{37, 30, 1, 1e-12}, std::tuple{44, 25, 9, 0.05}}) {
        const SweepOutcome one = with_threads(1, [&] { return solve_grid(nx, ny, kdel, reduc); });
        const SweepOutcome two = with_threads(2, [&] { return solve_grid(nx, ny, kdel, reduc); });
        const SweepOutcome three = with_threads(3, [&] { return solve_grid(nx, ny, kdel, reduc); });
        SCOPED_TRACE(::testing::Message() << nx << " x " << ny << " kdel " << kdel);
        EXPECT_GT(one.gerrors.back(), 0.0);  // a field that changes, not a trivial one
        for (int iter : one.iters) {
            if (reduc < 1e-6) EXPECT_EQ(iter, 41);  // the limit, not converged
            else EXPECT_LT(iter, 40);  // converged well before the limit
        }
        EXPECT_EQ(one.iters, two.iters);
        EXPECT_TRUE(ef::rows_in_parallel(nx, ny / 2));  // a team of threads, not one
        expect_same(one, two);
        expect_same(one, three);
    }
}

TEST(Threads, FourierKernelsDoNotDependOnTheThreadCount) {
    const int n = 150, m = 1500, count = 12;
    std::vector<Complex> spectra(static_cast<std::size_t>(n) * count);
    for (std::size_t r = 0; r < spectra.size(); ++r)
        spectra[r] = {std::cos(0.37 * r) / (1.0 + r % n), std::sin(0.11 * r) / (1.0 + r % n)};
    std::vector<double> series(1700);
    for (std::size_t k = 0; k < series.size(); ++k) series[k] = std::exp(-0.001 * k) * std::sin(0.05 * k);

    auto inverse = [&](double shift) {
        std::vector<double> x(static_cast<std::size_t>(m) * count);
        ef::finvu_many(shift, spectra, n, x, m, count, 0.25, 0.04);
        return x;
    };
    auto direct = [&](int kernel) {
        std::vector<Complex> X(420);
        if (kernel == 1) ef::ffu1(series, X, 0.25, 0.04);
        else ef::ffu2(series, X, 0.25, 0.04);
        return X;
    };
    for (double shift : {ef::kStandardShift, ef::kMidPointShift}) {
        const auto one = with_threads(1, [&] { return inverse(shift); });
        const auto two = with_threads(2, [&] { return inverse(shift); });
        EXPECT_EQ(std::memcmp(one.data(), two.data(), one.size() * 8), 0) << "shift " << shift;
    }
    for (int kernel : {1, 2}) {
        const auto one = with_threads(1, [&] { return direct(kernel); });
        const auto two = with_threads(2, [&] { return direct(kernel); });
        EXPECT_TRUE(same_bits(one.data(), two.data(), one.size())) << "ffu" << kernel;
    }
}

// A whole run of the standard program on the two-layer deck refined to
// 40 x 32 elements, with OMP_NUM_THREADS = 1 and = 2 (OMP_DYNAMIC off, so
// that the runtime keeps both threads): every file the run writes and its
// standard output (but for the CPU-time line) are the same bytes.
TEST(Threads, WholeRunWritesTheSameFilesWithOneAndTwoThreads) {
    const std::filesystem::path decks = std::filesystem::path(ELASTOFREQ_TEST_DATA) / "decks";
    std::string deck = ef::test::read_file(decks / "two_layer.deck");
    for (const auto& [label, value] :
         {std::pair{"ngx", "40"}, std::pair{"ngy", "32"}, std::pair{"maxiter", "25"}, std::pair{"maxlow", "10"}})
        deck = ef::test::with_record(deck, label, value);

    const ef::test::ScratchDir one, two;
    std::vector<ef::test::ProgramResult> runs;
    for (const ef::test::ScratchDir* dir : {&one, &two}) {
        std::filesystem::copy(decks / "two_layer", dir->path());
        const std::string threads = dir == &one ? "1" : "2";
        runs.push_back(ef::test::run_program(dir->path(), "elastofreq", deck,
                                             {.env = {"OMP_DYNAMIC=false", "OMP_NUM_THREADS=" + threads}}));
        ASSERT_EQ(runs.back().status, 0) << runs.back().err;
    }

    const std::vector<std::string> names = one.files();
    EXPECT_EQ(names, two.files());
    EXPECT_TRUE(one.exists("vx_traces.su") && one.exists("fort.40") && one.exists("fort.15"));
    for (const std::string& name : names) EXPECT_TRUE(one.read(name) == two.read(name)) << name << " differs";
    EXPECT_EQ(runs[0].err, runs[1].err);
    // the CPU time on the last line of standard output is allowed to differ
    const auto without_time = [](const std::string& out) { return out.substr(0, out.rfind("tiempo=")); };
    EXPECT_EQ(without_time(runs[0].out), without_time(runs[1].out));
}

}  // namespace
