// A whole run writes every file with the records it should hold: traces of
// nrec x nt samples, one record per element in every snapshot, a frequency
// listed twice among the snapshots written twice, one log line per frequency,
// the small print only for grids of at most 7 x 7 elements.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "support/deck_builder.hpp"
#include "support/program_runner.hpp"
#include "support/scratch_dir.hpp"

namespace {

using ef::test::DeckBuilder;
using ef::test::run_program;

// The integer after `label` on standard output.
int printed(const std::string& out, const std::string& label) {
    const auto at = out.find(label);
    EXPECT_NE(at, std::string::npos) << label;
    return std::stoi(out.substr(at + label.size(), 12));
}

struct RunFolder {
    ef::test::ScratchDir dir;
    ef::test::ProgramResult result;
    int lines(const std::string& name) const {
        const std::string text = dir.read(name);
        return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
    }
    bool has(const std::string& name) const { return dir.exists(name); }
};

void run(RunFolder& r, const DeckBuilder& d) {
    const std::string deck = d.text();
    ASSERT_EQ(run_program(r.dir.path(), "elastofreq_moduli", deck).status, 0);
    r.result = run_program(r.dir.path(), "elastofreq", deck);
    ASSERT_EQ(r.result.status, 0) << r.result.err;
}

TEST(OutputFiles, EveryFileHoldsItsRecords) {
    DeckBuilder d;  // 10 x 8 elements
    d.keyqua = 2;
    d.fsnap = {0.35, 0.55, 0.35};
    d.tsnap = {5.0, 10.0, 15.0};
    d.nrec = 4;
    d.maxiter = 30;
    RunFolder r;
    run(r, d);
    const std::string& out = r.result.out;
    const int nt = printed(out, " number of time steps  nt =");
    const int nx = 10, ny = 8;
    const auto at = out.find("jw1 - jw2 - jwlow ");
    ASSERT_NE(at, std::string::npos);
    const int jw1 = std::stoi(out.substr(at + 18, 7)), jw2 = std::stoi(out.substr(at + 25, 7));
    const int frequencies = jw2 - jw1 + 1;
    ASSERT_GT(frequencies, 0);

    EXPECT_EQ(r.lines("vx_traces.su"), d.nrec * nt);
    EXPECT_EQ(r.lines("vz_traces.su"), d.nrec * nt);
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(r.lines("fort." + std::to_string(40 + k)), nx * ny);
        EXPECT_EQ(r.lines("fort." + std::to_string(50 + k)), nx * ny);
    }
    EXPECT_FALSE(r.has("fort.43"));
    EXPECT_FALSE(r.has("fort.53"));
    // three snapshot entries, one frequency listed twice: three blocks
    EXPECT_EQ(r.lines("fort.15"), 3 * nx * ny);
    EXPECT_EQ(r.lines("fort.16"), 3 * nx * ny);
    EXPECT_EQ(r.lines("fort.17"), 3 * nx);
    EXPECT_EQ(r.lines("fort.18"), 3 * ny);
    EXPECT_FALSE(r.has("fort.19"));
    for (const char* log : {"iter.freq", "vp.freq", "inv_qp.freq", "vs.freq", "inv_qs.freq"})
        EXPECT_EQ(r.lines(log), frequencies) << log;
    for (const char* model : {"lambda_gnu", "mu_gnu", "vp33_gnu", "matnum_gnu"})
        EXPECT_EQ(r.lines(model), nx * ny) << model;
    EXPECT_EQ(r.lines("slice_matnum_math"), ny);
    EXPECT_EQ(r.lines("source"), nt);
    EXPECT_EQ(r.lines("filtered_source"), nt);
    EXPECT_EQ(r.lines("spectrum"), jw2);
    EXPECT_EQ(r.lines("filtered_spectrum"), jw2);
    EXPECT_EQ(printed(out, " jw1 , jw2  in main = "), jw1);
}

TEST(OutputFiles, SmallGridsGetTheSmallPrint) {
    for (int n : {7, 8}) {
        DeckBuilder d;
        d.ngx = n;
        d.ngy = n;
        d.xsize = 10.0 * n;
        d.ysize = 10.0 * n;
        d.xsou = 30.0;
        d.ysou = 30.0;
        d.xinic = 5.0;
        d.yinic = 5.0;
        d.xfin = 65.0;
        d.yfin = 5.0;
        RunFolder r;
        run(r, d);
        EXPECT_EQ(r.has("fort.19"), n <= 7) << n;
        if (n <= 7) {
            EXPECT_EQ(r.lines("fort.19"), 3 + n);
        }
    }
}

}  // namespace
