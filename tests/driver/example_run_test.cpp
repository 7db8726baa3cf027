// End to end with the built programs on the shipped two-layer example: the
// material files made by elastofreq_moduli are accepted by the solver, the
// traces show the layer velocities and the reflection from the interface,
// the progress line appears on a terminal only, and elastofreq_moduli keeps
// the deck reader's stops and refuses a bad relaxation band without leaving
// anything behind.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "output/scratch_dir.hpp"

namespace {

namespace fs = std::filesystem;

const std::string kBin = ELASTOFREQ_BIN_DIR;

std::string example_deck() {
    // This file is tests/driver/example_run_test.cpp of the source tree.
    const fs::path root = fs::path(__FILE__).parent_path().parent_path().parent_path();
    std::ifstream f(root / "examples" / "two_layer" / "deck.in");
    EXPECT_TRUE(f.good()) << root;
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

// The deck with the record whose comment starts with `name` replaced by `record`.
std::string with_record(const std::string& deck, const std::string& name, const std::string& record) {
    std::istringstream in(deck);
    std::string out, line;
    bool found = false;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string value, label;
        words >> value >> label;
        if (!found && label == name) {
            line = record;
            found = true;
        }
        out += line + '\n';
    }
    EXPECT_TRUE(found) << name;
    return out;
}

struct ProgramRun {
    int status = -1;
    std::string out, err;
};

// Runs a program in dir on a deck, with a private temporary directory.
ProgramRun run(const ef_test::ScratchDir& dir, const std::string& program, const std::string& deck) {
    {
        std::ofstream(dir.str() + "/deck.in") << deck;
    }
    fs::create_directories(dir.str() + "/tmp");
    const std::string command = "cd '" + dir.str() + "' && TMPDIR='" + dir.str() + "/tmp' '" +
                                kBin + "/" + program + "' < deck.in > out.txt 2> err.txt";
    const int raw = std::system(command.c_str());
    ProgramRun r;
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.out = dir.read("out.txt");
    r.err = dir.read("err.txt");
    fs::remove(dir.str() + "/out.txt");
    fs::remove(dir.str() + "/err.txt");
    return r;
}

std::set<std::string> files_in(const ef_test::ScratchDir& dir) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir.str())) names.insert(entry.path().filename());
    return names;
}

// Runs the solver in dir with standard error on a pseudo-terminal; returns
// what the terminal received. Standard output goes to out_pty.txt.
std::string run_on_terminal(const ef_test::ScratchDir& dir) {
    int master = -1, slave = -1;
    if (openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) return "<no pty>";
    const std::string deck = dir.str() + "/deck.in", out = dir.str() + "/out_pty.txt";
    const std::string program = kBin + "/elastofreq";
    const pid_t pid = fork();
    if (pid == 0) {
        close(master);
        if (chdir(dir.str().c_str()) != 0) _exit(120);
        const int in = open(deck.c_str(), O_RDONLY);
        const int o = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(in, 0);
        dup2(o, 1);
        dup2(slave, 2);
        execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
        _exit(121);
    }
    close(slave);
    std::string text;
    char buffer[4096];
    for (;;) {
        const ssize_t n = read(master, buffer, sizeof buffer);
        if (n <= 0) break;
        text.append(buffer, static_cast<std::size_t>(n));
    }
    close(master);
    int status = 0;
    waitpid(pid, &status, 0);
    return text;
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
    ef_test::ScratchDir dir;
    const ProgramRun moduli = run(dir, "elastofreq_moduli", example_deck());
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
    EXPECT_EQ(files_in(dir), (std::set<std::string>{"deck.in", "tmp", "p_modulus.freq",
                                                    "s_modulus.freq", "bulk_density.mat"}));
    EXPECT_TRUE(fs::is_empty(dir.str() + "/tmp"));

    const ProgramRun solver = run(dir, "elastofreq", example_deck());
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
    const std::string terminal = run_on_terminal(dir);
    EXPECT_NE(terminal.find("frequency 20: 1 of 20 done"), std::string::npos) << terminal;
    EXPECT_NE(terminal.find("frequency 1: 20 of 20 done (100%)"), std::string::npos);
    EXPECT_EQ(terminal.find('\n'), terminal.size() - 1);
    EXPECT_EQ(without_cpu_time(dir.read("out_pty.txt")), without_cpu_time(solver.out));
    EXPECT_EQ(dir.read("vz_traces.su"), [&] {
        std::string all;
        for (const auto& line : vz) all += line + '\n';
        return all;
    }());
}

TEST(ExampleRun, GeneratorKeepsTheDeckReaderStops) {
    const std::string deck = example_deck();
    {
        ef_test::ScratchDir dir;
        const ProgramRun r = run(dir, "elastofreq_moduli", with_record(deck, "nmat", "   21 nmat"));
        EXPECT_EQ(r.status, 222);
        EXPECT_EQ(r.err, "STOP 222\n");
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(files_in(dir), (std::set<std::string>{"deck.in", "tmp"}));
        EXPECT_TRUE(fs::is_empty(dir.str() + "/tmp"));
    }
    {
        // One receiver: the solver ends silently with status 0; the generator
        // says why it wrote nothing.
        ef_test::ScratchDir dir;
        const ProgramRun r = run(dir, "elastofreq_moduli", with_record(deck, "nrec", "    1 nrec"));
        EXPECT_EQ(r.status, 0);
        EXPECT_NE(r.err.find("fewer than 2 receivers"), std::string::npos) << r.err;
        EXPECT_EQ(files_in(dir), (std::set<std::string>{"deck.in", "tmp"}));
    }
    {
        ef_test::ScratchDir dir;
        const ProgramRun r = run(dir, "elastofreq_moduli", with_record(deck, "keyqua", "    3 keyqua"));
        EXPECT_EQ(r.status, 2);
        EXPECT_NE(r.err.find("keyqua"), std::string::npos) << r.err;
        EXPECT_TRUE(fs::is_empty(dir.str() + "/tmp"));
    }
}

TEST(ExampleRun, GeneratorRefusesAReversedRelaxationBand) {
    ef_test::ScratchDir dir;
    std::string deck = with_record(example_deck(), "fq1(2)", "                  1. fq1(2)");
    deck = with_record(deck, "fq2(2)", "               0.001 fq2(2)");
    const ProgramRun r = run(dir, "elastofreq_moduli", deck);
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("material 2"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("0 < fq1 < fq2"), std::string::npos) << r.err;
    EXPECT_EQ(files_in(dir), (std::set<std::string>{"deck.in", "tmp"}));
}

}  // namespace
