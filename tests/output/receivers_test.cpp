// Receiver spectra and trace synthesis: the element-centre value and its
// threshold, savtrace, and the two trace files with either sampling.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "common/units.hpp"
#include "output/receivers.hpp"
#include "output/snapshots.hpp"
#include "output/trace_field.hpp"
#include "support/records.hpp"
#include "support/scratch_units.hpp"

namespace {

using ef::Complex;
using ef::test::numbers;
using ef::test::ScratchDir;

constexpr double kInversePi = 3.14159265358975;

// The centre of one element whose top, left, bottom and right traces of
// component 1 are t, l, b, r.
Complex element_centre(Complex t, Complex l, Complex b, Complex r) {
    ef::WaveField f(1, 1);
    f.trace(1, ef::Edge::top, 1, 1) = t;
    f.trace(1, ef::Edge::left, 1, 1) = l;
    f.trace(1, ef::Edge::bottom, 1, 1) = b;
    f.trace(1, ef::Edge::right, 1, 1) = r;
    return f.centre(1, 1, 1);
}

TEST(ElementCentre, SumsLeftToRightAndDropsTinyValues) {
    const double half_ulp = std::ldexp(1.0, -53);
    // ((1 + u) + u) rounds back to 1 twice; any other grouping gives 1 + 2u.
    const Complex c = element_centre({1.0, 0.0}, {half_ulp, 0.0}, {half_ulp, 0.0}, {});
    EXPECT_EQ(c.re, 0.25);
    // ... with the top and left traces first, in either order
    EXPECT_EQ(element_centre({half_ulp, 0.0}, {1.0, 0.0}, {half_ulp, 0.0}, {}).re, 0.25);
    EXPECT_GT(element_centre({half_ulp, 0.0}, {half_ulp, 0.0}, {1.0, 0.0}, {}).re, 0.25);
    // 1e-14 held in single precision: 9.9999998245167e-15 itself survives
    auto centre_of = [](double re, double im) {
        return element_centre({4.0 * re, 4.0 * im}, {}, {}, {});
    };
    EXPECT_EQ(centre_of(9.9999999e-15, 0.0).re, 9.9999999e-15);
    EXPECT_EQ(centre_of(9.9999998245167e-15, 0.0).re, 9.9999998245167e-15);
    EXPECT_TRUE(centre_of(9.9999998e-15, 0.0) == (Complex{0.0, 0.0}));
    EXPECT_TRUE(centre_of(0.0, -9.9999998e-15) == (Complex{0.0, 0.0}));
    // the modulus decides, not the parts: |(6, 8)| = 10 units survives, |(5.9, 7.9)| not
    EXPECT_EQ(centre_of(6e-15, 8e-15).im, 8e-15);
    EXPECT_TRUE(centre_of(5.9e-15, 7.9e-15) == (Complex{0.0, 0.0}));
}

TEST(Savtrace, StoresCentresOfBothComponentsPerReceiver) {
    const int nx = 4, ny = 3;
    ef::WaveField field = ef::test::zero_field(nx, ny);
    ef::test::set_centre(field, 1, 2, 3, {1.5, -2.0});
    ef::test::set_centre(field, 2, 2, 3, {0.25, 4.0});
    ef::test::set_centre(field, 1, 5, 1, {-3.0, 0.5});    // receiver on the ring column nx + 1
    ef::test::set_centre(field, 2, 5, 1, {2e-15, 0.0});   // below the threshold
    const ef::RunParams p{.nrec = 3, .irx = {0, 2, 5, 1}, .iry = {0, 3, 1, 1}};
    ef::ReceiverSpectra spectra;
    spectra.fu2(17, 2) = {9.0, 9.0};
    ef::savtrace(p, 17, field, spectra);
    EXPECT_TRUE(spectra.fu1(17, 1) == (Complex{1.5, -2.0}));
    EXPECT_TRUE(spectra.fu2(17, 1) == (Complex{0.25, 4.0}));
    EXPECT_TRUE(spectra.fu1(17, 2) == (Complex{-3.0, 0.5}));
    EXPECT_TRUE(spectra.fu2(17, 2) == (Complex{0.0, 0.0}));
    EXPECT_TRUE(spectra.fu1(17, 3) == (Complex{0.0, 0.0}));
    EXPECT_TRUE(spectra.fu1(16, 1) == (Complex{0.0, 0.0}));  // other frequencies untouched
    EXPECT_TRUE(spectra.fu1(600, 150) == (Complex{0.0, 0.0}));
}

struct TraceRun : ef::test::ScratchUnits {
    TraceRun() {
        units.open(98, "vx_traces.su", ef::FileStatus::unknown);
        units.open(99, "vz_traces.su", ef::FileStatus::unknown);
    }
    // The samples of one file, receiver-major.
    std::vector<double> samples(const std::string& name) {
        std::vector<double> out;
        for (const std::string& line : dir.lines(name)) {
            EXPECT_EQ(line.size(), 15u) << line;
            const std::vector<double> v = numbers(line);
            EXPECT_EQ(v.size(), 1u);
            out.push_back(v.empty() ? NAN : v[0]);
        }
        return out;
    }
};

// The deck values write_traces reads.
ef::RunParams trace_params(int nrec, int jw1, int jw2, int nt, double dt, double delw, int keyqua) {
    return {.keyqua = keyqua, .dt = dt, .nt = nt, .delw = delw, .jw1 = jw1, .jw2 = jw2,
            .nrec = nrec};
}

// g15.4 keeps four significant digits.
void expect_sample(double written, double exact, const std::string& where) {
    EXPECT_NEAR(written, exact, 5e-4 * std::fabs(exact) + 1e-12) << where;
}

TEST(WriteTraces, StandardSamplingRepeatsTheFirstSolvedFrequency) {
    TraceRun run;
    const int nrec = 2, jw1 = 2, jw2 = 5, nt = 40;
    const double dt = 0.01, delw = 0.9;
    ef::ReceiverSpectra spectra;
    spectra.fu1(1, 1) = spectra.fu1(1, 2) = {100.0, 100.0};  // never solved, never read
    spectra.fu1(2, 1) = {1.0, 0.0};
    spectra.fu1(2, 2) = {0.0, 2.0};
    spectra.fu2(3, 1) = {1.0, 0.0};
    spectra.fu2(6, 1) = {50.0, 0.0};  // beyond jw2
    ef::write_traces(run.units, spectra, trace_params(nrec, jw1, jw2, nt, dt, delw, 1));
    run.units.flush_all();
    const std::vector<double> vx = run.samples("vx_traces.su");
    const std::vector<double> vz = run.samples("vz_traces.su");
    ASSERT_EQ(vx.size(), static_cast<std::size_t>(nrec * nt));
    ASSERT_EQ(vz.size(), static_cast<std::size_t>(nrec * nt));
    const double scale = delw / kInversePi;
    for (int n = 0; n < nt; ++n) {
        const double a = delw * n * dt;
        const std::string at = "sample " + std::to_string(n);
        expect_sample(vx[n], scale * (1.0 + std::cos(a)), at);             // W(1) = W(2) = 1
        expect_sample(vx[nt + n], -2.0 * scale * std::sin(a), at);         // W(1) = W(2) = 2i
        expect_sample(vz[n], scale * std::cos(2.0 * a), at);               // W(1) = W(2) = 0
        EXPECT_EQ(vz[nt + n], 0.0) << at;
    }
    EXPECT_EQ(run.out.str(), "");
}

TEST(WriteTraces, MidPointSamplingUsesEveryFrequency) {
    TraceRun run;
    const int nrec = 3, nt = 25;
    const double dt = 0.02, delw = 0.7;
    ef::ReceiverSpectra spectra;
    spectra.fu1(1, 3) = {1.0, 0.0};
    spectra.fu2(2, 1) = {0.0, -1.0};
    ef::write_traces(run.units, spectra, trace_params(nrec, 1, 4, nt, dt, delw, 2));
    run.units.flush_all();
    const std::vector<double> vx = run.samples("vx_traces.su");
    const std::vector<double> vz = run.samples("vz_traces.su");
    ASSERT_EQ(vx.size(), 75u);
    ASSERT_EQ(vz.size(), 75u);
    const double scale = delw / kInversePi;
    for (int n = 0; n < nt; ++n) {
        const std::string at = "sample " + std::to_string(n);
        EXPECT_EQ(vx[n], 0.0);
        EXPECT_EQ(vx[nt + n], 0.0);
        expect_sample(vx[2 * nt + n], scale * std::cos(0.5 * delw * n * dt), at);
        expect_sample(vz[n], scale * std::sin(1.5 * delw * n * dt), at);
        EXPECT_EQ(vz[nt + n], 0.0);
    }
}

TEST(WriteTraces, NoReceiversLeavesTheFilesAsTheyWere) {
    ScratchDir dir;
    for (const char* name : {"vx_traces.su", "vz_traces.su"}) dir.write(name, "old\n");
    {
        std::istringstream in;
        std::ostringstream out;
        ef::Units units(in, out, dir.str());
        units.open(98, "vx_traces.su", ef::FileStatus::unknown);
        units.open(99, "vz_traces.su", ef::FileStatus::unknown);
        ef::ReceiverSpectra spectra;
        spectra.fu1(2, 1) = {1.0, 0.0};
        ef::write_traces(units, spectra, trace_params(0, 2, 10, 100, 0.01, 0.5, 1));
        units.flush_all();
    }
    EXPECT_EQ(dir.read("vx_traces.su"), "old\n");
    EXPECT_EQ(dir.read("vz_traces.su"), "old\n");
}

}  // namespace
