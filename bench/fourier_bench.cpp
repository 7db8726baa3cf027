// The Fourier kernels at the sizes of a run: the source spectrum (nt samples
// to jw2 frequencies and back) and the trace synthesis (every receiver's
// spectrum to nt samples).
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "common/fourier.hpp"
#include "output/snapshots.hpp"
#include "solver/wave_field.hpp"

namespace {

using ef::Complex;

std::vector<double> wavelet(int nt, double dt) {
    std::vector<double> x(nt);
    for (int j = 0; j < nt; ++j) {
        const double tau = j * dt - 0.75;
        x[j] = -(std::exp(-(tau * tau * 32.0)) * (tau * 64.0));
    }
    return x;
}

std::vector<Complex> spectrum(int n) {
    std::vector<Complex> X(n);
    for (int j = 0; j < n; ++j) X[j] = {std::cos(0.1 * j) / (1 + j), std::sin(0.3 * j) / (1 + j)};
    return X;
}

constexpr double kDt = 0.001, kDw = 0.05;

// args: nt, jw2
void BM_ffu1(benchmark::State& state) {
    const std::vector<double> x = wavelet(static_cast<int>(state.range(0)), kDt);
    std::vector<Complex> X(state.range(1));
    for (auto _ : state) {
        ef::ffu1(x, X, kDt, kDw);
        benchmark::DoNotOptimize(X.data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0) * state.range(1));
}
BENCHMARK(BM_ffu1)->Args({2000, 600})->Args({10000, 600})->Unit(benchmark::kMillisecond);

// args: jw2, nt
void BM_finvu2(benchmark::State& state) {
    const std::vector<Complex> X = spectrum(static_cast<int>(state.range(0)));
    std::vector<double> x(state.range(1));
    for (auto _ : state) {
        ef::finvu2(X, x, kDt, kDw);
        benchmark::DoNotOptimize(x.data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0) * state.range(1));
}
BENCHMARK(BM_finvu2)->Args({600, 2000})->Args({600, 10000})->Unit(benchmark::kMillisecond);

// args: jw2, nt, receivers: one component of the trace synthesis.
void BM_finvu_many(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0)), m = static_cast<int>(state.range(1));
    const int count = static_cast<int>(state.range(2));
    std::vector<Complex> X;
    for (int r = 0; r < count; ++r) {
        const std::vector<Complex> one = spectrum(n);
        X.insert(X.end(), one.begin(), one.end());
    }
    std::vector<double> x(static_cast<std::size_t>(m) * count);
    for (auto _ : state) {
        ef::finvu_many(ef::kMidPointShift, X, n, x, m, count, kDt, kDw);
        benchmark::DoNotOptimize(x.data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0) * state.range(1) * count);
}
BENCHMARK(BM_finvu_many)
    ->Args({600, 2000, 20})
    ->Args({600, 10000, 150})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// One frequency's term of the ten time-domain snapshot sums over a 200 x 150 grid.
void BM_finvpic2(benchmark::State& state) {
    const int nx = 200, ny = 150, nsnapt = 10;
    ef::WaveField field(nx, ny);
    for (int j = 1; j <= ny; ++j)
        for (int i = 1; i <= nx; ++i) {
            const Complex u{std::cos(0.1 * i) * j, std::sin(0.2 * j) * i};
            for (int c = 1; c <= 2; ++c)
                for (ef::Edge e : {ef::Edge::left, ef::Edge::top, ef::Edge::bottom, ef::Edge::right})
                    field.trace(c, e, i, j) = u;
        }
    ef::SnapshotSums sums(nx, ny, nsnapt);
    ef::RunParams p;
    p.nx = nx;
    p.ny = ny;
    p.nsnapt = nsnapt;
    p.itsnap = {0, 1, 100, 200, 300, 400, 500, 600, 700, 800, 900};
    p.dt = kDt;
    p.delw = kDw;
    for (auto _ : state) {
        ef::finvpic2(p, 17, field, sums);
        benchmark::DoNotOptimize(sums.tpic1(1, 1, 1));
    }
    state.SetItemsProcessed(state.iterations() * nx * ny);
}
BENCHMARK(BM_finvpic2)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
