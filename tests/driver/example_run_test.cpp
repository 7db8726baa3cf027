// End to end with the built programs on the shipped two-layer example: the
// material files made by elastofreq_moduli are accepted by the solver, the
// traces show the layer velocities and the reflection from the interface,
// the progress line appears on a terminal only, and elastofreq_moduli keeps
// the deck reader's stops and refuses a bad relaxation band without leaving
// anything behind.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "support/program_runner.hpp"
#include "support/records.hpp"

namespace {

namespace fs = std::filesystem;
using ef::test::ProgramResult;
using ef::test::ScratchDir;
using ef::test::with_record;

std::string example_deck() { return ef::test::source_file("examples/two_layer/deck.in"); }

// Runs a program in dir on a deck, with a private temporary folder dir/tmp.
ProgramResult run(const ScratchDir& dir, const std::string& program, const std::string& deck) {
    fs::create_directories(dir.path() / "tmp");
    return ef::test::run_program(dir.path(), program, deck, {.env = {"TMPDIR=" + dir.str() + "/tmp"}});
}

// Time (msec) of the largest magnitude of trace k (1-based) of a trace file.
double peak_time(const std::vector<std::string>& samples, int k, int nt, double dt) {
    int best = 0;
    double peak = -1.0;
    for (int n = 0; n < nt; ++n) {
        const double v = std::fabs(std::stod(samples[static_cast<std::size_t>((k - 1) * nt + n)]));
        if (v > peak) {
            peak = v;
            best = n;
        }
    }
    return best * dt;
}

std::string without_cpu_time(const std::string& summary) {
    const std::size_t at = summary.rfind(" tiempo=");
    return summary.substr(0, at);
}

TEST(ExampleRun, MaterialFilesFromTheGeneratorRunTheSolver) {
    ScratchDir dir;
    const ProgramResult moduli = run(dir, "elastofreq_moduli", example_deck());
    ASSERT_EQ(moduli.status, 0) << moduli.err;
    // Standard error holds only the sampling advice, without a warning: the
    // 5 m elements give 12 elements per S wavelength at 24.4 Hz.
    EXPECT_EQ(moduli.err.rfind("elastofreq_moduli: sampling at the top of the band", 0), 0u)
        << moduli.err;
    EXPECT_NE(moduli.err.find("slowest S wave (material 1"), std::string::npos) << moduli.err;
    EXPECT_EQ(moduli.err.find("warning"), std::string::npos) << moduli.err;
    EXPECT_NE(moduli.out.find("frequency numbers    20 down to     1"), std::string::npos)
        << moduli.out;
    // Only the three material files appear; the deck reader's files and the
    // private temporary directory are gone.
    EXPECT_EQ(dir.files(),
              (std::vector<std::string>{"bulk_density.mat", "p_modulus.freq", "s_modulus.freq", "tmp"}));
    EXPECT_TRUE(fs::is_empty(dir.path() / "tmp"));

    const ProgramResult solver = run(dir, "elastofreq", example_deck());
    ASSERT_EQ(solver.status, 0) << solver.err;
    EXPECT_EQ(solver.err, "");  // not a terminal: no progress line
    EXPECT_EQ(dir.lines("iter.freq").size(), 20u);
    EXPECT_EQ(solver.out.find("NO convergence"), std::string::npos);

    // 30 receivers down a vertical line, 2880 samples of 0.13888... msec.
    const int nt = 2880, nrec = 30;
    const double dt = (5.0 / 3.6) * 0.1;
    const std::vector<std::string> vz = dir.lines("vz_traces.su");
    const std::vector<std::string> vx = dir.lines("vx_traces.su");
    ASSERT_EQ(vz.size(), static_cast<std::size_t>(nrec * nt));
    ASSERT_EQ(vx.size(), static_cast<std::size_t>(nrec * nt));
    // Receiver k sits at y = 307.5 - 10 k m, the source row at 250 m and the
    // interface at 150 m. The plane source sends a P pulse on the vertical
    // and an S pulse on the horizontal component, up and down. Across the
    // lower half-space (receivers 19 to 28, 90 m) they travel at its P and S
    // velocities, 3.6 and 2.0 m/msec (the P peaks about 8 % faster: the
    // source row is little more than one P wavelength long and the wave is
    // not quite plane).
    const double p_speed = 90.0 / (peak_time(vz, 28, nt, dt) - peak_time(vz, 19, nt, dt));
    const double s_speed = 90.0 / (peak_time(vx, 28, nt, dt) - peak_time(vx, 19, nt, dt));
    EXPECT_NEAR(p_speed, 3.6, 0.36);
    EXPECT_NEAR(s_speed, 2.0, 0.2);
    // Above the source (receivers 4 to 1, 30 m) the upgoing pulses travel at
    // the upper layer's 2.4 and 1.4 m/msec (a few per cent more near 10 Hz,
    // with Qp = 40 and Qs = 20).
    const double p_upper = 30.0 / (peak_time(vz, 1, nt, dt) - peak_time(vz, 4, nt, dt));
    const double s_upper = 30.0 / (peak_time(vx, 1, nt, dt) - peak_time(vx, 4, nt, dt));
    EXPECT_NEAR(p_upper, 2.4, 0.24);
    EXPECT_NEAR(s_upper, 1.4, 0.14);
    // The P reflection from the interface reaches receiver 1 (two-way 200 m
    // plus 47.5 m at 2.4 m/msec) about 103 ms after the direct pulse, with
    // the opposite sign and about a fifth of its amplitude.
    const int first = static_cast<int>(150.0 / dt), last = static_cast<int>(230.0 / dt);
    int reflected = first, direct = 0;
    for (int n = 0; n < nt; ++n) {
        const double v = std::stod(vz[static_cast<std::size_t>(n)]);
        if (std::fabs(v) > std::fabs(std::stod(vz[static_cast<std::size_t>(direct)]))) direct = n;
        if (n >= first && n < last &&
            std::fabs(v) > std::fabs(std::stod(vz[static_cast<std::size_t>(reflected)])))
            reflected = n;
    }
    EXPECT_NEAR((reflected - direct) * dt, 247.5 / 2.4 - 47.5 / 2.4, 8.0);
    const double ratio = std::stod(vz[static_cast<std::size_t>(reflected)]) /
                         std::stod(vz[static_cast<std::size_t>(direct)]);
    EXPECT_LT(ratio, -0.1);
    EXPECT_GT(ratio, -0.3);

    // Standard error on a terminal: the progress line, and the same summary.
    const ProgramResult on_terminal =
        ef::test::run_program(dir.path(), "elastofreq", example_deck(), {.terminal = true});
    const std::string& terminal = on_terminal.err;
    EXPECT_NE(terminal.find("frequency 20: 1 of 20 done"), std::string::npos) << terminal;
    EXPECT_NE(terminal.find("frequency 1: 20 of 20 done (100%)"), std::string::npos);
    EXPECT_EQ(terminal.find('\n'), terminal.size() - 1);
    EXPECT_EQ(without_cpu_time(on_terminal.out), without_cpu_time(solver.out));
    EXPECT_EQ(dir.read("vz_traces.su"), [&] {
        std::string all;
        for (const auto& line : vz) all += line + '\n';
        return all;
    }());
}

TEST(ExampleRun, GeneratorKeepsTheDeckReaderStops) {
    const std::string deck = example_deck();
    {
        ScratchDir dir;
        const ProgramResult r = run(dir, "elastofreq_moduli", with_record(deck, "nmat", "21"));
        EXPECT_EQ(r.status, 222);
        EXPECT_EQ(r.err, "STOP 222\n");
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(dir.files(), std::vector<std::string>{"tmp"});
        EXPECT_TRUE(fs::is_empty(dir.path() / "tmp"));
    }
    {
        // One receiver: the solver ends silently with status 0; the generator
        // says why it wrote nothing.
        ScratchDir dir;
        const ProgramResult r = run(dir, "elastofreq_moduli", with_record(deck, "nrec", "1"));
        EXPECT_EQ(r.status, 0);
        EXPECT_NE(r.err.find("fewer than 2 receivers"), std::string::npos) << r.err;
        EXPECT_EQ(dir.files(), std::vector<std::string>{"tmp"});
    }
    {
        ScratchDir dir;
        const ProgramResult r = run(dir, "elastofreq_moduli", with_record(deck, "keyqua", "3"));
        EXPECT_EQ(r.status, 2);
        EXPECT_NE(r.err.find("keyqua"), std::string::npos) << r.err;
        EXPECT_TRUE(fs::is_empty(dir.path() / "tmp"));
    }
}

TEST(ExampleRun, GeneratorRefusesAReversedRelaxationBand) {
    ScratchDir dir;
    std::string deck = with_record(example_deck(), "fq1(2)", "1.");
    deck = with_record(deck, "fq2(2)", "0.001");
    const ProgramResult r = run(dir, "elastofreq_moduli", deck);
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("material 2"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("0 < fq1 < fq2"), std::string::npos) << r.err;
    EXPECT_EQ(dir.files(), std::vector<std::string>{"tmp"});
}

}  // namespace
