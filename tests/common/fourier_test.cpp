// The four Fourier kernels: their edge cases, a long-double reference, the
// round trip through forward and inverse sums, and the batched inverse sum
// against the single one.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <numbers>
#include <random>
#include <vector>

#include "common/fourier.hpp"

namespace {

using ef::Complex;

constexpr double kInversePi = 3.14159265358975;

std::vector<double> random_series(int n, unsigned seed) {
    std::mt19937_64 gen(seed);
    std::uniform_real_distribution<double> u(-1.0, 1.0);
    std::vector<double> x(n);
    for (double& v : x) v = u(gen);
    return x;
}

std::vector<Complex> random_spectrum(int n, unsigned seed) {
    const std::vector<double> v = random_series(2 * n, seed);
    std::vector<Complex> X(n);
    for (int j = 0; j < n; ++j) X[j] = {v[2 * j], v[2 * j + 1]};
    return X;
}

TEST(FourierKernels, ImpulseHasFlatSpectrumDt) {
    const double dt = 0.0123, dw = 0.731;
    std::vector<double> x(50, 0.0);
    x[0] = 1.0;
    for (auto kernel : {ef::ffu1, ef::ffu2}) {
        std::vector<Complex> X(37, Complex{9.0, 9.0});
        kernel(x, X, dt, dw);
        for (const Complex& v : X) {
            EXPECT_EQ(v.re, dt);
            EXPECT_EQ(v.im, 0.0);
        }
    }
}

TEST(FourierKernels, InverseOfFirstSample) {
    const double dt = 0.0123, dw = 0.731;
    std::vector<Complex> X(40);
    X[0] = {1.0, 0.0};
    std::vector<double> x(70);
    ef::finvu1(X, x, dt, dw);
    for (double v : x) EXPECT_EQ(v, dw / kInversePi);  // the zero frequency, full weight
    ef::finvu2(X, x, dt, dw);
    for (int k = 1; k <= 70; ++k)
        EXPECT_DOUBLE_EQ(x[k - 1], (dw / kInversePi) * std::cos(0.5 * dw * (k - 1) * dt));
}

TEST(FourierKernels, ImaginarySampleContributesMinusSine) {
    const double dt = 0.02, dw = 0.4;
    std::vector<Complex> X(5);
    X[2] = {0.0, 1.0};
    std::vector<double> x1(30), x2(30);
    ef::finvu1(X, x1, dt, dw);
    ef::finvu2(X, x2, dt, dw);
    for (int k = 1; k <= 30; ++k) {
        EXPECT_DOUBLE_EQ(x1[k - 1], -(dw / kInversePi) * std::sin(2.0 * dw * (k - 1) * dt));
        EXPECT_DOUBLE_EQ(x2[k - 1], -(dw / kInversePi) * std::sin(2.5 * dw * (k - 1) * dt));
    }
}

TEST(FourierKernels, EmptyCounts) {
    const double dt = 0.1, dw = 0.2;
    // n = 0: every output sample is zero.
    std::vector<Complex> X(6, Complex{5.0, -5.0});
    ef::ffu1({}, X, dt, dw);
    for (const Complex& v : X) EXPECT_TRUE(v == (Complex{0.0, 0.0}));
    X.assign(6, Complex{5.0, -5.0});
    ef::ffu2({}, X, dt, dw);
    for (const Complex& v : X) EXPECT_TRUE(v == (Complex{0.0, 0.0}));
    std::vector<double> x(9, 7.0);
    ef::finvu1({}, x, dt, dw);
    for (double v : x) EXPECT_EQ(v, 0.0);
    x.assign(9, 7.0);
    ef::finvu2({}, x, dt, dw);
    for (double v : x) EXPECT_EQ(v, 0.0);

    // m = 0: nothing is written, not even next to the (empty) output.
    const std::vector<double> series = random_series(8, 1);
    const std::vector<Complex> spectrum = random_spectrum(8, 2);
    std::vector<Complex> Xs(3, Complex{5.0, -5.0});
    ef::ffu1(series, std::span<Complex>(Xs.data() + 1, 0), dt, dw);
    ef::ffu2(series, std::span<Complex>(Xs.data() + 1, 0), dt, dw);
    for (const Complex& v : Xs) EXPECT_TRUE(v == (Complex{5.0, -5.0}));
    std::vector<double> xs(3, 7.0);
    ef::finvu1(spectrum, std::span<double>(xs.data() + 1, 0), dt, dw);
    ef::finvu2(spectrum, std::span<double>(xs.data() + 1, 0), dt, dw);
    for (double v : xs) EXPECT_EQ(v, 7.0);
}

// Long-double sums of the defining formulas: signs, shifts and scalings.
TEST(FourierKernels, AgreeWithLongDoubleSums) {
    const int n = 97, m = 61;
    const double dt = 0.0317, dw = 0.53;
    const std::vector<double> x = random_series(n, 11);
    const std::vector<Complex> Y = random_spectrum(n, 12);
    for (long double s : {0.0L, 0.5L}) {
        std::vector<Complex> X(m);
        (s == 0.0L ? ef::ffu1 : ef::ffu2)(x, X, dt, dw);
        std::vector<double> y(m);
        (s == 0.0L ? ef::finvu1 : ef::finvu2)(Y, y, dt, dw);
        for (int k = 0; k < m; ++k) {
            long double re = 0, im = 0, inv = 0;
            for (int j = 0; j < n; ++j) {
                const long double a = j * ((k + s) * (long double)dw) * dt;
                re += x[j] * std::cos(a);
                im -= x[j] * std::sin(a);
                const long double b = (j + s) * (long double)dw * k * dt;
                inv += Y[j].re * std::cos(b) - Y[j].im * std::sin(b);
            }
            // n terms of magnitude <= 1 with angles up to ~100 rad: ~1e-13 absolute.
            EXPECT_NEAR(X[k].re, (double)(dt * re), 1e-13);
            EXPECT_NEAR(X[k].im, (double)(dt * im), 1e-13);
            EXPECT_NEAR(y[k], (double)(inv * dw / std::numbers::pi_v<long double>), 1e-12);
        }
    }
}

// With dw = 2 pi / (N dt) and m = N / 2 frequencies the sums are discrete
// Fourier transforms of length N. The mid-point sampling covers the
// frequencies (j + 1/2), j = 0 .. N - 1, in conjugate pairs, so its one-sided
// inverse is exact for any real series of at most N samples. The standard
// sampling gives the zero frequency full weight and omits the Nyquist term,
// so it returns x(n) + (dw / 2 pi) (X(1) - X_N/2 (-1)^n), X_N/2 = dt sum x(n) (-1)^n.
// What remains is rounding: n m terms of size <= dt sum|x| scaled by dw/pi,
// angles up to pi N with relative error 1e-16, and the divisor
// 3.14159265358975, 1.4e-14 relative below pi: well under 1e-12 sum|x|.
TEST(FourierKernels, RoundTripIsTheDiscreteTransform) {
    const int N = 256, m = N / 2;
    const double dt = 0.004;
    const double dw = 2.0 * std::numbers::pi / (N * dt);
    const std::vector<double> x = random_series(N, 21);  // nonzero mean on purpose
    double l1 = 0.0, nyquist = 0.0;
    for (int n = 0; n < N; ++n) {
        l1 += std::fabs(x[n]);
        nyquist += (n % 2 == 0 ? x[n] : -x[n]);
    }
    nyquist *= dt;
    const double tolerance = 1e-12 * l1;

    std::vector<Complex> X(m);
    std::vector<double> back(N);
    ef::ffu2(x, X, dt, dw);
    ef::finvu2(X, back, dt, dw);
    for (int n = 0; n < N; ++n) EXPECT_NEAR(back[n], x[n], tolerance) << "n = " << n;

    ef::ffu1(x, X, dt, dw);
    ef::finvu1(X, back, dt, dw);
    const double zero_frequency = X[0].re;
    ASSERT_GT(std::fabs(zero_frequency), 100 * tolerance);  // the check below has teeth
    for (int n = 0; n < N; ++n) {
        const double ends = (dw / (2.0 * std::numbers::pi)) *
                            (zero_frequency - (n % 2 == 0 ? nyquist : -nyquist));
        EXPECT_NEAR(back[n], x[n] + ends, tolerance) << "n = " << n;
    }
}

// A zero-mean wavelet well inside the band (Gaussian derivative centred on a
// sample, negligible at the Nyquist frequency) comes back to rounding with
// either sampling, even on a grid that is not a power of two.
TEST(FourierKernels, BandLimitedWaveletRoundTrip) {
    const int N = 600, m = N / 2;
    const double dt = 0.01, f = 5.0;  // Nyquist 50 kHz
    const double dw = 2.0 * std::numbers::pi / (N * dt);
    const double psi = f * f * 8.0, ts = 3.0;  // ts = 300 dt
    std::vector<double> x(N);
    for (int n = 0; n < N; ++n) {
        const double tau = n * dt - ts;
        x[n] = -(std::exp(-(tau * tau * psi)) * (tau * (2.0 * psi)));
    }
    std::vector<Complex> X(m);
    std::vector<double> back(N);
    for (int sampling = 1; sampling <= 2; ++sampling) {
        (sampling == 1 ? ef::ffu1 : ef::ffu2)(x, X, dt, dw);
        (sampling == 1 ? ef::finvu1 : ef::finvu2)(X, back, dt, dw);
        double peak = 0.0, err = 0.0;
        for (int n = 0; n < N; ++n) {
            peak = std::max(peak, std::fabs(x[n]));
            err = std::max(err, std::fabs(back[n] - x[n]));
        }
        EXPECT_LT(err, 1e-11 * peak) << "sampling " << sampling;
    }
}

// The inverse sum of one output sample, one term after the other as the
// kernels define it: the bit-level reference for the blocked, vectorised and
// threaded evaluation.
double plain_inverse_sample(double shift, std::span<const Complex> X, int k, double dt,
                            double dw) {
    double sum = 0.0;
    for (std::size_t j = 0; j < X.size(); ++j) {
        const double theta = (((static_cast<double>(j) + shift) * dw) * k) * dt;
        sum = sum + (X[j].re * std::cos(theta) - X[j].im * std::sin(theta));
    }
    return (sum * dw) / kInversePi;
}

TEST(FourierKernels, BatchedInverseIsBitForBitThePlainSum) {
    const double dt = 0.0071, dw = 0.377;
    for (const auto& [n, m, count] : {std::tuple{600, 3000, 6}, std::tuple{17, 130, 3},
                                      std::tuple{1, 1, 1}, std::tuple{0, 5, 2}}) {
        const std::vector<Complex> spectra = random_spectrum(n * count, 31 + n);
        for (double shift : {ef::kStandardShift, ef::kMidPointShift}) {
            std::vector<double> many(static_cast<std::size_t>(m) * count, 99.0);
            ef::finvu_many(shift, spectra, n, many, m, count, dt, dw);
            std::vector<double> one(m);
            const std::span<const Complex> first(spectra.data(), n);
            (shift == ef::kStandardShift ? ef::finvu1 : ef::finvu2)(first, one, dt, dw);
            for (int r = 0; r < count; ++r) {
                const std::span<const Complex> X(spectra.data() + r * n, n);
                for (int k = 0; k < m; ++k) {
                    const double expected = plain_inverse_sample(shift, X, k, dt, dw);
                    ASSERT_EQ(std::memcmp(&expected, &many[r * m + k], sizeof(double)), 0)
                        << "n " << n << " m " << m << " r " << r << " k " << k;
                    if (r == 0) {
                        ASSERT_EQ(std::memcmp(&expected, &one[k], sizeof(double)), 0);
                    }
                }
            }
        }
    }
}

}  // namespace
