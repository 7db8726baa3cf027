// The nearly-constant-Q moduli: elastic limit, relaxed limit at low frequency,
// flat inverse quality factor and logarithmic dispersion inside the relaxation
// band, sign of the absorption, and the checks on the relaxation band.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <string>

#include "common/stop.hpp"
#include "model/liu_moduli.hpp"

namespace {

constexpr double kPi = 3.14159265358979;
constexpr double kTwoPi = 6.28318530717958;

double tau_of(double fq) { return 1.0 / (kTwoPi * fq); }

// Phase velocity 1/Re(1/c), c = sqrt(M / rho).
double phase_velocity(ef::Complex m, double rho) {
    const std::complex<double> c = std::sqrt(std::complex<double>(m.re, m.im) / rho);
    return 1.0 / std::real(1.0 / c);
}

// The same model evaluated independently in extended precision.
std::complex<long double> reference(long double relaxed, long double decrement, long double tau1,
                                    long double tau2, long double omega) {
    const long double q = 3.14159265358979L / decrement;
    const long double r =
        1.0L - std::log((1.0L + omega * omega * tau1 * tau1) / (1.0L + omega * omega * tau2 * tau2)) /
                   (3.14159265358979L * q);
    const long double t = 2.0L / (3.14159265358979L * q) *
                          std::atan(omega * (tau1 - tau2) / (1.0L + omega * omega * tau1 * tau2));
    return relaxed / std::complex<long double>(r, -t);
}

TEST(LiuModuli, ElasticBelowTheDecrementThreshold) {
    const double nan = std::nan("");
    for (double decrement : {0.0, 9.9e-11, -0.3}) {
        for (double omega : {0.0, 1.0, 1e4}) {
            const ef::Complex m = ef::liu_modulus(7.5e6, decrement, nan, nan, omega);
            EXPECT_EQ(m.re, 7.5e6);
            EXPECT_EQ(m.im, 0.0);
        }
    }
    EXPECT_FALSE(ef::attenuates(9.99999e-11));
    EXPECT_TRUE(ef::attenuates(1e-10));
    const ef::Complex weak = ef::liu_modulus(1.0, 1e-10, tau_of(0.01), tau_of(10.0), kTwoPi);
    EXPECT_GT(weak.im, 0.0);
    EXPECT_LT(weak.im, 1e-10);
}

TEST(LiuModuli, AgreesWithAnExtendedPrecisionEvaluation) {
    const double tau1 = tau_of(0.002), tau2 = tau_of(50.0);
    for (double decrement : {0.01, kPi / 20.0, 0.5}) {
        for (double f : {0.0, 1e-4, 0.002, 0.1, 1.0, 7.3, 50.0, 400.0}) {
            const double omega = kTwoPi * f;
            const ef::Complex m = ef::liu_modulus(2.0e7, decrement, tau1, tau2, omega);
            const std::complex<long double> ref = reference(2.0e7L, decrement, tau1, tau2, omega);
            EXPECT_NEAR(m.re, static_cast<double>(ref.real()), 1e-13 * 2.0e7) << f;
            EXPECT_NEAR(m.im, static_cast<double>(ref.imag()), 1e-13 * 2.0e7) << f;
        }
    }
}

TEST(LiuModuli, LowFrequencyLimitIsTheRelaxedVelocity) {
    const double rho = 2.2e6, relaxed = 2.2e6 * 9.0;  // 3 m/msec relaxed
    const double tau1 = tau_of(0.001), tau2 = tau_of(100.0);
    const ef::Complex at_zero = ef::liu_modulus(relaxed, 0.1, tau1, tau2, 0.0);
    EXPECT_EQ(at_zero.re, relaxed);
    EXPECT_EQ(at_zero.im, 0.0);
    const double slow = kTwoPi * 1e-9;  // far below fq1
    const ef::Complex m = ef::liu_modulus(relaxed, 0.1, tau1, tau2, slow);
    EXPECT_NEAR(phase_velocity(m, rho), 3.0, 1e-9);
    // Above the band the velocity is higher: the medium is dispersive.
    const ef::Complex fast = ef::liu_modulus(relaxed, 0.1, tau1, tau2, kTwoPi * 10.0);
    EXPECT_GT(phase_velocity(fast, rho), 3.0 * 1.01);
}

TEST(LiuModuli, InverseQualityFactorIsFlatInsideTheBand) {
    // The model is first order in 1/Q: over a band of four decades the inverse
    // quality factor Im/Re stays within a few percent of 1/Q a decade inside
    // the band for the Q of rocks (50 and up).
    const double fq1 = 0.01, fq2 = 100.0;
    for (double q : {50.0, 100.0, 200.0}) {
        const double decrement = kPi / q;
        for (double f = 0.1; f <= 10.0 * 1.0001; f *= 1.2589254117941673) {
            const ef::Complex m =
                ef::liu_modulus(1.0e7, decrement, tau_of(fq1), tau_of(fq2), kTwoPi * f);
            EXPECT_NEAR((m.im / m.re) * q, 1.0, 0.06) << "Q " << q << " f " << f;
        }
        // At a band edge the absorption has fallen to about half.
        const ef::Complex edge =
            ef::liu_modulus(1.0e7, decrement, tau_of(fq1), tau_of(fq2), kTwoPi * fq1);
        EXPECT_NEAR((edge.im / edge.re) * q, 0.5, 0.05);
    }
}

TEST(LiuModuli, VelocityGrowsWithTheLogarithmOfFrequencyInsideTheBand) {
    // Nearly-constant-Q dispersion: v(f2) / v(f1) = 1 + ln(f2 / f1) / (pi Q).
    // (first order in 1/Q, so checked with a high Q)
    const double q = 200.0, rho = 2.0e6;
    const double tau1 = tau_of(1e-3), tau2 = tau_of(1e3);
    const double fa = 0.1, fb = 10.0;
    const double va =
        phase_velocity(ef::liu_modulus(8.0e6, kPi / q, tau1, tau2, kTwoPi * fa), rho);
    const double vb =
        phase_velocity(ef::liu_modulus(8.0e6, kPi / q, tau1, tau2, kTwoPi * fb), rho);
    const double expected = std::log(fb / fa) / (kPi * q);
    EXPECT_NEAR(vb / va - 1.0, expected, 0.05 * expected);
}

TEST(LiuModuli, AbsorptionIsNeverNegative) {
    const double tau1 = tau_of(0.01), tau2 = tau_of(20.0);
    for (double decrement : {1e-10, 1e-3, 0.2, 1.0}) {
        for (double f = 0.0; f < 2000.0; f = f * 1.7 + 1e-5) {
            const ef::Complex m = ef::liu_modulus(3.0e6, decrement, tau1, tau2, kTwoPi * f);
            EXPECT_GE(m.im, 0.0) << decrement << ' ' << f;
        }
    }
}

ef::RunParams two_materials() {
    ef::RunParams p;
    p.nmat = 2;
    p.deltp = {0.0, 0.0, 0.1};
    p.delts = {0.0, 0.0, 0.2};
    p.fq1 = {0.0, 0.0, 0.01};
    p.fq2 = {0.0, 0.0, 10.0};
    return p;
}

std::string band_error(const ef::RunParams& p) {
    try {
        ef::check_liu_band(p);
    } catch (const ef::RunError& e) {
        return e.what();
    }
    return "";
}

TEST(LiuModuli, RejectsAnEmptyOrReversedBandOfAnAttenuatingMaterial) {
    ef::RunParams p = two_materials();
    EXPECT_EQ(band_error(p), "");  // material 1 is elastic: its zero frequencies are fine

    struct Case { double fq1, fq2, deltp, delts; };
    for (const Case c : {Case{10.0, 0.01, 0.1, 0.2}, Case{5.0, 5.0, 0.1, 0.0},
                         Case{0.0, 10.0, 0.0, 0.2}, Case{-1.0, 10.0, 0.1, 0.2}}) {
        ef::RunParams bad = two_materials();
        bad.fq1[2] = c.fq1;
        bad.fq2[2] = c.fq2;
        bad.deltp[2] = c.deltp;
        bad.delts[2] = c.delts;
        const std::string msg = band_error(bad);
        EXPECT_NE(msg.find("material 2"), std::string::npos) << msg;
        EXPECT_NE(msg.find("0 < fq1 < fq2"), std::string::npos) << msg;
    }
    // The same frequencies are accepted once neither decrement attenuates.
    p.fq1[2] = 10.0;
    p.fq2[2] = 0.01;
    p.deltp[2] = 5e-11;
    p.delts[2] = 0.0;
    EXPECT_EQ(band_error(p), "");
}

}  // namespace
