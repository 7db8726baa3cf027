// Snapshot sums against the inverse kernels, the frequency-domain snapshot
// files, and outime's files and messages.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <sstream>

#include "common/format.hpp"
#include "common/fourier.hpp"
#include "common/units.hpp"
#include "output/snapshots.hpp"
#include "output/trace_field.hpp"
#include "support/records.hpp"
#include "support/scratch_units.hpp"

namespace {

using ef::Complex;
using ef::test::numbers;

constexpr double kPi = 3.141592653589793;

using OutputRun = ef::test::ScratchUnits;

// The sweep adds one frequency at a time, from jw2 down; scaled by dw/pi the
// sums are the inverse kernel's series of each element's centre spectrum at
// the snapshot times, without any substitute for the zero frequency. An
// element whose centre is below the threshold adds nothing.
TEST(SnapshotSums, AccumulateTheInverseSum) {
    const int nx = 3, ny = 2, nsnapt = 3, jw2 = 40;
    const std::vector<int> itsnap{0, 1, 7, 150};
    const double dt = 0.013, delw = 0.41;
    std::mt19937_64 gen(5);
    std::uniform_real_distribution<double> u(-1.0, 1.0);
    for (int keyqua : {1, 2}) {
        const int jw1 = keyqua == 1 ? 2 : 1;
        // spectra[c][element][jw - 1]
        std::vector<std::vector<std::vector<Complex>>> spectra(
            2, std::vector<std::vector<Complex>>(nx * ny, std::vector<Complex>(jw2)));
        ef::SnapshotSums sums(nx, ny, nsnapt);
        ef::WaveField field = ef::test::zero_field(nx, ny);
        const ef::RunParams p{
            .nx = nx, .ny = ny, .nsnapt = nsnapt, .itsnap = itsnap, .dt = dt, .delw = delw};
        for (int jw = jw2; jw >= jw1; --jw) {
            for (int c = 1; c <= 2; ++c)
                for (int e = 0; e < nx * ny; ++e) {
                    Complex v{u(gen), u(gen)};
                    if (e == nx * ny - 1 && c == 2) v = {3e-15, -4e-15};  // |v| 5e-15
                    spectra[c - 1][e][jw - 1] = v;
                    ef::test::set_centre(field, c, e % nx + 1, e / nx + 1, v);
                }
            (keyqua == 1 ? ef::finvpic1 : ef::finvpic2)(p, jw, field, sums);
        }
        for (int c = 1; c <= 2; ++c)
            for (int e = 0; e < nx * ny; ++e) {
                const int i = e % nx + 1, j = e / nx + 1;
                std::vector<double> series(150);
                (keyqua == 1 ? ef::finvu1 : ef::finvu2)(spectra[c - 1][e], series, dt, delw);
                for (int k = 1; k <= nsnapt; ++k) {
                    const double sum = c == 1 ? sums.tpic1(i, j, k) : sums.tpic2(i, j, k);
                    if (e == nx * ny - 1 && c == 2) {
                        EXPECT_EQ(sum, 0.0);
                        continue;
                    }
                    EXPECT_NEAR((sum * delw) / kPi, series[itsnap[k] - 1], 1e-12)
                        << "keyqua " << keyqua << " component " << c << " element " << i << ","
                        << j << " snapshot " << k;
                }
            }
    }
}

ef::RunParams snapshot_params(int nx, int ny, std::vector<int> jwsnap) {
    ef::RunParams p;
    p.nx = nx;
    p.ny = ny;
    p.h = 10.0;
    p.nsnapf = static_cast<int>(jwsnap.size());
    p.jwsnap = {0};
    p.jwsnap.insert(p.jwsnap.end(), jwsnap.begin(), jwsnap.end());
    return p;
}

TEST(FrequencySnapshots, BlocksPerListedFrequencyAndMiddleProfiles) {
    OutputRun run;
    const int nx = 3, ny = 1;
    const ef::RunParams p = snapshot_params(nx, ny, {7, 5, 7});
    ef::WaveField field = ef::test::zero_field(nx, ny);
    for (int i = 0; i <= nx + 1; ++i)
        for (int j = 0; j <= ny + 1; ++j) {
            ef::test::set_centre(field, 1, i, j, {1.0 + i + 10.0 * j, 0.5});
            ef::test::set_centre(field, 2, i, j, {-(1.0 + i + 10.0 * j), 0.5});
        }
    ef::test::set_centre(field, 1, 2, 1, {5e-15, 0.0});  // written as 0
    ef::write_frequency_snapshots(run.units, p, 6, field);  // not listed: nothing
    run.units.flush_all();
    for (int unit = 15; unit <= 18; ++unit) EXPECT_FALSE(run.dir.exists("fort." + std::to_string(unit)));

    ef::write_frequency_snapshots(run.units, p, 7, field);  // listed twice: two blocks
    run.units.flush_all();
    const std::vector<double> u1{12.0, 0.0, 14.0}, u2{-12.0, -13.0, -14.0};
    const auto f15 = run.dir.lines("fort.15"), f16 = run.dir.lines("fort.16");
    ASSERT_EQ(f15.size(), 6u);
    ASSERT_EQ(f16.size(), 6u);
    for (int n = 0; n < 6; ++n) {
        EXPECT_EQ(f15[n].size(), 12u);
        EXPECT_EQ(numbers(f15[n])[0], u1[n % 3]);
        EXPECT_EQ(numbers(f16[n])[0], u2[n % 3]);
    }
    EXPECT_EQ(f15[1], ef::Format("(e12.5)").apply({0.0}).substr(0, 12));
    // ny = 1: the middle row is row 0 of the ring
    const auto f17 = run.dir.lines("fort.17");
    ASSERT_EQ(f17.size(), 6u);
    for (int n = 0; n < 6; ++n) {
        const int i = n % 3 + 1;
        EXPECT_EQ(f17[n] + "\n", ef::Format("(2e20.8)").apply({(i - 1) * 10.0 + 5.0, 1.0 + i}));
    }
    // nx = 3: the middle column is column 1
    const auto f18 = run.dir.lines("fort.18");
    ASSERT_EQ(f18.size(), 2u);
    for (const std::string& line : f18)
        EXPECT_EQ(line + "\n", ef::Format("(2e20.8)").apply({5.0, -12.0}));
}

// Fill the sums with recognisable values: tpic1 = i + 10 j + 100 k,
// tpic2 the negative.
// The deck values outime reads.
ef::RunParams outime_params(int nx, int ny, int nsnapt, int nrec, int nt) {
    return {.nx = nx, .ny = ny, .nsnapt = nsnapt, .dt = 0.01, .nt = nt, .delw = 0.3, .nrec = nrec};
}

ef::SnapshotSums numbered_sums(int nx, int ny, int nsnapt) {
    ef::SnapshotSums sums(nx, ny, nsnapt);
    for (int k = 1; k <= nsnapt; ++k)
        for (int j = 1; j <= ny; ++j)
            for (int i = 1; i <= nx; ++i) {
                sums.tpic1(i, j, k) = i + 10.0 * j + 100.0 * k;
                sums.tpic2(i, j, k) = -(i + 10.0 * j + 100.0 * k);
            }
    return sums;
}

TEST(Outime, SnapshotFilesSmallPrintTracesAndMessages) {
    OutputRun run;
    const int nx = 7, ny = 6, nsnapt = 2, nrec = 2, nt = 9;
    const double delw = 0.3;
    run.units.open(98, "vx_traces.su", ef::FileStatus::unknown);
    run.units.open(99, "vz_traces.su", ef::FileStatus::unknown);
    const ef::SnapshotSums sums = numbered_sums(nx, ny, nsnapt);
    ef::ReceiverSpectra spectra;
    spectra.fu1(3, 1) = {1.0, 0.0};
    ef::RunParams p = outime_params(nx, ny, nsnapt, nrec, nt);
    p.jw1 = 1;
    p.jw2 = 20;
    p.keyqua = 2;
    ef::outime(run.units, p, sums, spectra);
    run.units.flush_all();

    EXPECT_EQ(run.out.str(),
              ef::list_record({" enters outime"}) + ef::list_record({" leaves outime"}));
    for (int k = 1; k <= nsnapt; ++k)
        for (int c = 1; c <= 2; ++c) {
            const std::string name = "fort." + std::to_string((c == 1 ? 39 : 49) + k);
            const auto lines = run.dir.lines(name);
            ASSERT_EQ(lines.size(), static_cast<std::size_t>(nx * ny)) << name;
            for (int j = 1; j <= ny; ++j)
                for (int i = 1; i <= nx; ++i) {
                    const double t = c == 1 ? sums.tpic1(i, j, k) : sums.tpic2(i, j, k);
                    EXPECT_EQ(lines[(j - 1) * nx + i - 1] + "\n",
                              ef::list_record({i, j, (t * delw) / kPi}));
                }
        }
    for (int unit : {42, 49, 52, 59}) EXPECT_FALSE(run.dir.exists("fort." + std::to_string(unit)));

    // small print of the first vertical snapshot: one record per row, pairs j, value
    const auto small = run.dir.lines("fort.19");
    ASSERT_EQ(small.size(), static_cast<std::size_t>(3 + ny));
    EXPECT_EQ(small[0] + "\n", ef::list_record({}));
    EXPECT_EQ(small[1] + "\n", ef::list_record({" vertical comp snap number  nn= ", 1}));
    EXPECT_EQ(small[2] + "\n", ef::list_record({}));
    for (int j = 1; j <= ny; ++j) {
        const std::vector<double> v = numbers(small[2 + j]);
        ASSERT_EQ(v.size(), static_cast<std::size_t>(2 * nx));
        for (int i = 1; i <= nx; ++i) {
            EXPECT_EQ(v[2 * i - 2], j);
            EXPECT_DOUBLE_EQ(v[2 * i - 1], (sums.tpic2(i, j, 1) * delw) / kPi);
        }
    }
    EXPECT_EQ(run.dir.lines("vx_traces.su").size(), static_cast<std::size_t>(nrec * nt));
    EXPECT_EQ(run.dir.lines("vz_traces.su").size(), static_cast<std::size_t>(nrec * nt));
}

TEST(Outime, SmallPrintOnlyUpToSevenBySeven) {
    for (const auto& [nx, ny, expected] :
         {std::tuple{7, 7, true}, std::tuple{8, 7, false}, std::tuple{7, 8, false},
          std::tuple{1, 1, true}}) {
        OutputRun run;
        const ef::SnapshotSums sums = numbered_sums(nx, ny, 1);
        ef::RunParams p = outime_params(nx, ny, 1, 0, 4);
        p.jw1 = 2;
        p.jw2 = 5;
        p.keyqua = 1;
        ef::outime(run.units, p, sums, ef::ReceiverSpectra{});
        run.units.flush_all();
        EXPECT_EQ(run.dir.exists("fort.19"), expected) << nx << " x " << ny;
        if (expected) {
            EXPECT_EQ(run.dir.lines("fort.19").size(), static_cast<std::size_t>(3 + ny));
        }
        EXPECT_EQ(run.dir.lines("fort.40").size(), static_cast<std::size_t>(nx * ny));
        EXPECT_FALSE(run.dir.exists("fort.98"));  // no receivers: no trace records
    }
}

TEST(Outime, NoTimeSnapshotsLeavesTheSmallPrintZero) {
    OutputRun run;
    const int nx = 3, ny = 2;
    const ef::SnapshotSums sums(nx, ny, 0);
    ef::RunParams p = outime_params(nx, ny, 0, 0, 4);
    p.jw1 = 2;
    p.jw2 = 5;
    p.keyqua = 1;
    ef::outime(run.units, p, sums, ef::ReceiverSpectra{});
    run.units.flush_all();
    for (int unit = 40; unit <= 59; ++unit)
        EXPECT_FALSE(run.dir.exists("fort." + std::to_string(unit))) << unit;
    const auto small = run.dir.lines("fort.19");
    ASSERT_EQ(small.size(), 5u);
    for (int j = 1; j <= ny; ++j) {
        const std::vector<double> v = numbers(small[2 + j]);
        ASSERT_EQ(v.size(), 6u);
        for (int i = 1; i <= nx; ++i) EXPECT_EQ(v[2 * i - 1], 0.0);
    }
}

}  // namespace
