#include "common/fourier.hpp"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

#include "common/constants.hpp"

namespace ef {

namespace {

// X(k) = dt sum_j x(j) (cos theta + i sin(-theta)), theta = ((j-1) ((k-1+s) dw)) dt.
void direct_sum(double shift, std::span<const double> x, std::span<Complex> X, double dt,
                double dw) {
    const std::size_t n = x.size();
    const std::ptrdiff_t m = static_cast<std::ptrdiff_t>(X.size());
    // every output sample is a sum of its own
#pragma omp parallel for schedule(static) if (static_cast<double>(n) * static_cast<double>(m) >= 1.0e5)
    for (std::ptrdiff_t k = 0; k < m; ++k) {
        const double wk = (static_cast<double>(k) + shift) * dw;
        Complex sum{0.0, 0.0};
        for (std::size_t j = 0; j < n; ++j) {
            const double theta = (static_cast<double>(j) * wk) * dt;
            sum.re = sum.re + x[j] * std::cos(theta);
            sum.im = sum.im + x[j] * std::sin(-theta);
        }
        X[k] = dt * sum;
    }
}

// Time samples per block of the inverse sum: the angle table of one block
// (n frequencies x kBlock times, cosine and sine) stays in cache while every
// spectrum is summed against it, and the innermost loop runs over
// independent samples so it vectorises without reordering any one sum.
constexpr int kBlock = 64;

struct AngleTable {
    std::vector<double> cos, sin;  // [j * kBlock + t]
};

// The arguments of finvu_many: count spectra of n samples each, and their
// series of m samples.
struct InverseSum {
    double shift;
    std::span<const Complex> spectra;
    int n;
    std::span<double> series;
    int m, count;
    double dt, dw;
};

// The output samples k0 .. k0 + kBlock - 1 (those below m) of every series.
void inverse_block(const InverseSum& sum_of, int k0, AngleTable& table) {
    const auto& [shift, spectra, n, series, m, count, dt, dw] = sum_of;
    const int width = std::min(kBlock, m - k0);
    table.cos.resize(static_cast<std::size_t>(n) * kBlock);
    table.sin.resize(static_cast<std::size_t>(n) * kBlock);
    for (int j = 0; j < n; ++j) {
        const double wj = (static_cast<double>(j) + shift) * dw;
        double* c = table.cos.data() + static_cast<std::size_t>(j) * kBlock;
        double* s = table.sin.data() + static_cast<std::size_t>(j) * kBlock;
        for (int t = 0; t < width; ++t) {
            const double theta = (wj * static_cast<double>(k0 + t)) * dt;
            c[t] = std::cos(theta);
            s[t] = std::sin(theta);
        }
    }
    double sum[kBlock];
    for (int r = 0; r < count; ++r) {
        const Complex* X = spectra.data() + static_cast<std::size_t>(r) * n;
        std::fill(sum, sum + kBlock, 0.0);
        for (int j = 0; j < n; ++j) {
            const double a = X[j].re, b = X[j].im;
            const double* c = table.cos.data() + static_cast<std::size_t>(j) * kBlock;
            const double* s = table.sin.data() + static_cast<std::size_t>(j) * kBlock;
            for (int t = 0; t < kBlock; ++t) sum[t] = sum[t] + (a * c[t] - b * s[t]);
        }
        double* x = series.data() + static_cast<std::size_t>(r) * m + k0;
        for (int t = 0; t < width; ++t) x[t] = (sum[t] * dw) / kInverseSumPi;
    }
}

}  // namespace

void ffu1(std::span<const double> x, std::span<Complex> X, double dt, double dw) {
    direct_sum(kStandardShift, x, X, dt, dw);
}

void ffu2(std::span<const double> x, std::span<Complex> X, double dt, double dw) {
    direct_sum(kMidPointShift, x, X, dt, dw);
}

void finvu_many(double shift, std::span<const Complex> spectra, int n, std::span<double> series,
                int m, int count, double dt, double dw) {
    if (m <= 0 || count <= 0) return;
    n = std::max(n, 0);
    const int blocks = (m + kBlock - 1) / kBlock;
    // Blocks of output samples are independent; each thread builds the angle
    // table of its own blocks.
    const double work = static_cast<double>(n) * m * (count + 8.0);
#pragma omp parallel if (work >= 1.0e6 && blocks > 1)
    {
        AngleTable table;
#pragma omp for schedule(dynamic)
        for (int b = 0; b < blocks; ++b)
            inverse_block({shift, spectra, n, series, m, count, dt, dw}, b * kBlock, table);
    }
}

void finvu1(std::span<const Complex> X, std::span<double> x, double dt, double dw) {
    finvu_many(kStandardShift, X, static_cast<int>(X.size()), x, static_cast<int>(x.size()), 1,
               dt, dw);
}

void finvu2(std::span<const Complex> X, std::span<double> x, double dt, double dw) {
    finvu_many(kMidPointShift, X, static_cast<int>(X.size()), x, static_cast<int>(x.size()), 1,
               dt, dw);
}

}  // namespace ef
