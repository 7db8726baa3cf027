// The source wavelet: pulse length of the Gaussian derivative, normalisation,
// band-pass taper up to the last frequency, the four source files and the
// lines printed on standard output.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>

#include "common/format.hpp"
#include "common/stop.hpp"
#include "common/units.hpp"
#include "model/source_wavelet.hpp"
#include "support/records.hpp"
#include "support/scratch_units.hpp"

namespace {

using ef::Complex;
using ef::test::numbers;

constexpr double kTwoPi = 6.28318530717958;

// Sampling as readata leaves it: f4 / npf = delf, jw2 = npf, if4 = jw2 + 1.
ef::RunParams sampling(int key, int keyqua, double freq, double dt, int nt, double delf, int jw2,
                       int if3) {
    ef::RunParams p;
    p.key = key;
    p.keyqua = keyqua;
    p.freq = freq;
    p.w0 = kTwoPi * freq;
    p.alfa = p.w0 * 0.79 / 3.14159265358979;
    p.dt = dt;
    p.nt = nt;
    p.delf = delf;
    p.delw = delf * kTwoPi;
    p.jw2 = jw2;
    p.if3 = if3;
    p.if4 = jw2 + 1;
    return p;
}

ef::ProcessGrid grid(int ncontrol) {
    ef::ProcessGrid a1;
    a1.ncontrol = ncontrol;
    return a1;
}

struct SourceRun : ef::test::ScratchUnits {
    SourceRun() {
        units.open(20, "source", ef::FileStatus::unknown);
        units.open(21, "spectrum", ef::FileStatus::unknown);
        units.open(22, "filtered_spectrum", ef::FileStatus::unknown);
        units.open(23, "filtered_source", ef::FileStatus::unknown);
    }
    void build(const ef::ProcessGrid& a1, ef::RunParams& p) {
        ef::build_source(units, a1, p);
        units.flush_all();
    }
};

std::string expected_key2_lines(int npulse, double psi, double width, double ts, double totpul,
                                int old_nt, bool gated) {
    const ef::Format pulse("(/1x,' pulse length in samples',i8)");
    std::string text = pulse.apply({npulse});
    if (gated) {
        text += ef::Format("(/1x,'psi=',e20.8,'width=',e20.8,'msec')").apply({psi, width});
        text += ef::Format("(/1x,'ts=',e20.8,'msec. totpul=',e20.8,'msec')").apply({ts, totpul});
        text += pulse.apply({old_nt});
    }
    return text;
}

TEST(SourceWavelet, GaussianPulseLengthensNt) {
    for (int ncontrol : {0, 1}) {
        SourceRun run;
        // freq 1 kHz: psi 8, width 0.5, ts 1.25, totpul 3.75 msec, 376 samples of 0.01 msec
        ef::RunParams p = sampling(2, 2, 1.0, 0.01, 100, 0.1, 100, 81);
        run.build(grid(ncontrol), p);
        EXPECT_EQ(p.npulse, 376);
        EXPECT_EQ(p.nt, 376);
        EXPECT_EQ(p.psi, 8.0);
        EXPECT_EQ(p.ts, 1.25);
        EXPECT_EQ(run.out.str(),
                  expected_key2_lines(376, 8.0, 0.5, 1.25, 3.75, 100, ncontrol == 0) +
                      ef::list_record({" writes in 20 source in time"}) +
                      ef::list_record({" writes in 21 amplitude source"}));
        EXPECT_EQ(run.dir.lines("source").size(), 376u);
        EXPECT_EQ(run.dir.lines("filtered_source").size(), 376u);
        EXPECT_EQ(run.dir.lines("spectrum").size(), 100u);
        EXPECT_EQ(run.dir.lines("filtered_spectrum").size(), 100u);
        // time column: (j - 1) dt
        EXPECT_NEAR(numbers(run.dir.lines("source")[375])[0], 3.75, 1e-12);
        // frequency column of the mid-point sampling: (k - 1) delf + delf / 2
        EXPECT_NEAR(numbers(run.dir.lines("spectrum")[99])[0], 9.95, 1e-12);
    }
    // A longer trace is kept.
    SourceRun run;
    ef::RunParams p = sampling(2, 2, 1.0, 0.01, 500, 0.1, 100, 81);
    run.build(grid(0), p);
    EXPECT_EQ(p.nt, 500);
    EXPECT_EQ(run.dir.lines("source").size(), 500u);
}

TEST(SourceWavelet, PulseBeyondTheTraceLimitStops) {
    SourceRun run;
    // freq 0.01 kHz: totpul 375 msec, 37501 samples of 0.01 msec
    ef::RunParams p = sampling(2, 2, 0.01, 0.01, 100, 0.1, 100, 81);
    try {
        run.build(grid(0), p);
        FAIL() << "no stop";
    } catch (const ef::StopRun& stop) {
        EXPECT_EQ(stop.code, 12345);
    }
    EXPECT_EQ(p.npulse, 37501);
    EXPECT_EQ(run.out.str(), ef::Format("(/1x,' pulse length in samples',i8)").apply({37501}));
    // 10000 samples exactly is allowed
    SourceRun edge;
    ef::RunParams q = sampling(2, 1, 1.0, 3.75 / 9999.0, 100, 0.1, 10, 5);
    edge.build(grid(1), q);
    EXPECT_EQ(q.npulse, 10000);
    EXPECT_EQ(q.nt, 10000);
}

// Peak magnitude 1; samples below 1e-14 (held in single precision,
// 9.9999998245167e-15) become exact zeros, that value itself does not.
TEST(SourceWavelet, NormalisationThreshold) {
    SourceRun run;
    ef::RunParams p = sampling(0, 1, 1.0, 0.01, 6, 0.1, 4, 1);  // type 0 keeps the series
    p.source = {0.0, 4.0, -2.0, 4 * 9.9999999e-15, 4 * 9.9999998e-15, 4 * 9.9999998245167e-15,
                -4 * 9.9999998e-15};
    run.build(grid(0), p);
    const auto lines = run.dir.lines("source");
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(numbers(lines[0])[1], 1.0);
    EXPECT_EQ(numbers(lines[1])[1], -0.5);
    EXPECT_NEAR(numbers(lines[2])[1], 9.9999999e-15, 1e-22);
    EXPECT_EQ(numbers(lines[3])[1], 0.0);
    EXPECT_NEAR(numbers(lines[4])[1], 9.9999998e-15, 1e-22);
    EXPECT_EQ(numbers(lines[5])[1], 0.0);
    EXPECT_NE(lines[3].find(" 0.00000000E+00"), std::string::npos) << lines[3];
}

// The taper falls from 1 at if3 to 0 at if4 = jw2 + 1, one past the last
// spectrum entry, even at the largest band of 600 frequencies.
TEST(SourceWavelet, TaperReachesPastTheLastFrequency) {
    const int jw2 = 600;
    auto build = [&](int if3) {
        SourceRun run;
        ef::RunParams p = sampling(1, 2, 20.0, 0.001, 200, 0.5, jw2, if3);
        run.build(grid(1), p);
        EXPECT_GE(p.sour.size(), static_cast<std::size_t>(jw2) + 1);
        EXPECT_EQ(run.dir.lines("filtered_spectrum").size(), static_cast<std::size_t>(jw2));
        return p.sour;
    };
    const std::vector<Complex> plain = build(1);  // if3 = 1: no taper at all
    const std::vector<Complex> tapered = build(500);
    for (int k = 1; k < 500; ++k) EXPECT_TRUE(tapered[k] == plain[k]) << k;
    for (int k = 500; k <= jw2; ++k) {
        const double factor = static_cast<double>(jw2 + 1 - k) / static_cast<double>(jw2 + 1 - 500);
        EXPECT_EQ(tapered[k].re, factor * plain[k].re) << k;
        EXPECT_EQ(tapered[k].im, factor * plain[k].im) << k;
    }
    EXPECT_NE(plain[jw2].re, 0.0);
    EXPECT_NEAR(tapered[jw2].re, plain[jw2].re / 101.0, 1e-15 * std::fabs(plain[jw2].re));
}

// A wavelet whose spectrum is negligible beyond the pass band comes back
// from the filter nearly unchanged. The Gaussian derivative is cut at t = 0
// where its envelope is exp(-12.5): a step of |source(1)| ~ 3e-5 that no
// band limit passes, around which the filtered trace rings by at most about
// half the step (Gibbs); everything else is reproduced. The standard sampling
// writes no spectrum files.
TEST(SourceWavelet, FilterPassesAWaveletInsideTheBand) {
    for (int keyqua : {1, 2}) {
        SourceRun run;
        // Gaussian derivative of 1 kHz: its spectrum at the 8 kHz taper start is
        // below exp(-78); the 10 msec period of the 0.1 kHz sampling holds the trace.
        ef::RunParams p = sampling(2, keyqua, 1.0, 0.01, 376, 0.1, 100, 81);
        run.build(grid(0), p);
        const auto before = run.dir.lines("source");
        const auto after = run.dir.lines("filtered_source");
        ASSERT_EQ(before.size(), 376u);
        ASSERT_EQ(after.size(), 376u);
        const double step = std::fabs(numbers(before[0])[1]);
        ASSERT_LT(step, 1e-4);
        for (int j = 1; j <= 376; ++j) {
            const double original = numbers(before[j - 1])[1];
            EXPECT_NEAR(p.source[j], original, 0.6 * step) << "keyqua " << keyqua << " j " << j;
            EXPECT_NEAR(numbers(after[j - 1])[1], p.source[j],
                        5e-8 * std::fabs(p.source[j]) + 1e-20);  // 8 digits
        }
        EXPECT_EQ(run.dir.lines("spectrum").size(), keyqua == 2 ? 100u : 0u);
        EXPECT_EQ(run.dir.lines("filtered_spectrum").size(), keyqua == 2 ? 100u : 0u);
    }
}

}  // namespace
