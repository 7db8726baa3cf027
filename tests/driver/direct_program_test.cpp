// elastofreq_direct as a user runs it, against elastofreq on the two-layer
// example: the traces and snapshots equal those of a tightly converged
// iteration, every other file is the same byte for byte, the residual of each
// solve is small, bad input ends as in the iterative program, and with MPI the
// files do not depend on the number of ranks.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "support/program_runner.hpp"
#include "support/records.hpp"

namespace {

using ef::test::FolderRun;
using ef::test::read_file;
using ef::test::with_record;
namespace fs = std::filesystem;

const fs::path kDecks = fs::path(ELASTOFREQ_TEST_DATA) / "decks";

#ifdef ELASTOFREQ_MPI
constexpr bool kMpi = true;
#else
constexpr bool kMpi = false;
#endif

// A run in a folder of its own holding the two-layer example's material
// files (with `options.ranks`, an MPI job of that many ranks).
FolderRun run_two_layer(const std::string& program, const std::string& deck,
                        const ef::test::RunOptions& options = {}) {
    FolderRun r;
    fs::copy(kDecks / "two_layer", r.folder->path());
    r.run(program, deck, options);
    return r;
}

std::string two_layer_deck() { return read_file(kDecks / "two_layer.deck"); }

// The iteration converged to 1e-12.
std::string tight(std::string deck) {
    deck = with_record(deck, "maxlow", "20000");
    deck = with_record(deck, "maxiter", "20000");
    return with_record(deck, "reduc", "1.0e-12");
}

bool is_output_of_the_solve(const std::string& name) {
    return name == "vx_traces.su" || name == "vz_traces.su" || name.rfind("fort.", 0) == 0;
}

// Unit in the last place of a printed real ("0.12345E-03": 1e-8).
double last_place(const std::string& token) {
    const std::size_t point = token.find('.');
    const std::size_t e = token.find_first_of("Ee", point);
    const std::size_t digits = (e == std::string::npos ? token.size() : e) - point - 1;
    const int exponent = e == std::string::npos ? 0 : std::stoi(token.substr(e + 1));
    return std::pow(10.0, exponent - static_cast<int>(digits));
}

std::vector<std::vector<std::string>> tokens(const std::string& text) {
    std::vector<std::vector<std::string>> records;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        records.emplace_back();
        for (std::string w; words >> w;) records.back().push_back(w);
    }
    return records;
}

// Real columns agree to `tolerance` relative to the largest magnitude of the
// column (plus one unit in the last printed place); integer columns exactly.
void expect_close(const std::string& name, const std::string& got, const std::string& want,
                  double tolerance) {
    const auto g = tokens(got), w = tokens(want);
    ASSERT_EQ(g.size(), w.size()) << name;
    std::map<std::size_t, double> scale;
    for (const auto& record : w)
        for (std::size_t c = 0; c < record.size(); ++c)
            scale[c] = std::max(scale[c], std::fabs(std::stod(record[c])));
    double worst = 0.0;
    for (std::size_t r = 0; r < w.size(); ++r) {
        ASSERT_EQ(g[r].size(), w[r].size()) << name << " record " << r + 1;
        for (std::size_t c = 0; c < w[r].size(); ++c) {
            if (w[r][c].find('.') == std::string::npos) {
                ASSERT_EQ(g[r][c], w[r][c]) << name << " record " << r + 1;
                continue;
            }
            const double diff = std::fabs(std::stod(g[r][c]) - std::stod(w[r][c]));
            const double allowed = tolerance * scale[c] + last_place(w[r][c]);
            EXPECT_LE(diff, allowed) << name << " record " << r + 1 << ": " << g[r][c] << " vs "
                                     << w[r][c];
            if (scale[c] > 0.0) worst = std::max(worst, diff / scale[c]);
        }
    }
    std::ostringstream text;
    text << std::scientific << worst;
    ::testing::Test::RecordProperty(name + "_worst_relative_difference", text.str());
}

// Standard output without the lines of the solves and the CPU time.
std::string common_output(const std::string& out) {
    static const std::regex solve_line(
        "convergence|relative error value|direct solve|global error|tiempo=");
    std::istringstream in(out);
    std::string kept;
    for (std::string line; std::getline(in, line);)
        if (!line.empty() && !std::regex_search(line, solve_line)) kept += line + "\n";
    return kept;
}

// Run k + 1 (of k + 1 threads or ranks) wrote the files and standard output
// of the first run, but for the CPU time.
void expect_the_same_as_the_first(const std::vector<FolderRun>& runs, const std::string& what) {
    const std::regex cpu_time(" tiempo=.*");
    for (std::size_t k = 1; k < runs.size(); ++k) {
        ASSERT_EQ(runs[k].folder->files(), runs[0].folder->files());
        for (const std::string& name : runs[0].folder->files())
            EXPECT_EQ(runs[k].folder->read(name), runs[0].folder->read(name))
                << name << " with " << k + 1 << " " << what;
        EXPECT_EQ(std::regex_replace(runs[k].out, cpu_time, ""), std::regex_replace(runs[0].out, cpu_time, ""));
    }
}

class DirectAgainstIteration : public ::testing::TestWithParam<int> {};

TEST_P(DirectAgainstIteration, OutputsEqualThoseOfTheConvergedIteration) {
    const std::string deck = with_record(tight(two_layer_deck()), "kdel", std::to_string(GetParam()));
    const FolderRun iteration = run_two_layer("elastofreq", deck);
    const FolderRun solve = run_two_layer("elastofreq_direct", deck);
    ASSERT_EQ(iteration.status, 0) << iteration.err;
    ASSERT_EQ(solve.status, 0) << solve.err;
    EXPECT_EQ(solve.err, "");
    ASSERT_EQ(solve.folder->files(), iteration.folder->files());

    int compared = 0;
    for (const std::string& name : iteration.folder->files()) {
        if (name == "iter.freq") continue;
        if (is_output_of_the_solve(name)) {
            expect_close(name, solve.folder->read(name), iteration.folder->read(name), 1e-6);
            ++compared;
        } else {
            EXPECT_EQ(solve.folder->read(name), iteration.folder->read(name)) << name;
        }
    }
    EXPECT_GE(compared, 10);  // two trace files, fort.15 .. fort.18, time snapshots

    // The iteration log: the same frequencies, 0 iterations each.
    const auto log = tokens(solve.folder->read("iter.freq")), reference = tokens(iteration.folder->read("iter.freq"));
    ASSERT_EQ(log.size(), reference.size());
    for (std::size_t r = 0; r < log.size(); ++r) {
        EXPECT_EQ(log[r][0], reference[r][0]);
        EXPECT_EQ(log[r][1], "0");
    }
    EXPECT_EQ(solve.folder->read("iter.freq").substr(0, 16), "     12        0");

    // One residual line per frequency, each below 1e-10.
    static const std::regex residual_line(
        R"( direct solve for freq\. # +(\d+) relative residual = +(\S+))");
    int lines = 0;
    for (std::sregex_iterator it(solve.out.begin(), solve.out.end(), residual_line), end; it != end; ++it) {
        EXPECT_EQ(std::stoi((*it)[1].str()), 12 - lines);
        EXPECT_LT(std::stod((*it)[2].str()), 1e-10) << (*it)[0].str();
        ++lines;
    }
    EXPECT_EQ(lines, static_cast<int>(reference.size()));
    EXPECT_EQ(common_output(solve.out), common_output(iteration.out));
}

INSTANTIATE_TEST_SUITE_P(SourceKinds, DirectAgainstIteration, ::testing::Values(1, 9),
                         [](const auto& info) { return "kdel" + std::to_string(info.param); });

// The recorded outputs of elastofreq_direct as it was with the reference BLAS
// and the approximate-minimum-fill ordering (tests/data/direct_reference):
// another ordering and OpenBLAS's kernels change the order of the sums, so
// the last bits may change, but no more than 1e-9 of the peak of each column.
// The time snapshots (fort.40 ...) are printed to the last bit; the traces to
// four digits (one unit in the last place more).
TEST(DirectProgram, OutputsStayWithinOneBillionthOfTheRecordedPeak) {
    const fs::path recorded = fs::path(ELASTOFREQ_TEST_DATA) / "direct_reference";
    const std::vector<std::string> two_layer_files = {"fort.40", "fort.41", "fort.50", "fort.51",
                                                      "vx_traces.su", "vz_traces.su"};
    const FolderRun two_layer = run_two_layer("elastofreq_direct", two_layer_deck());
    ASSERT_EQ(two_layer.status, 0) << two_layer.err;
    for (const std::string& file : two_layer_files)
        expect_close("two_layer/" + file, two_layer.folder->read(file),
                     read_file(recorded / "two_layer" / file), 1e-9);

    const fs::path model = recorded / "layered_30x24";
    FolderRun layered;
    for (const char* name : {"p_modulus.freq", "s_modulus.freq", "bulk_density.mat"})
        fs::copy(model / name, layered.folder->path());
    layered.run("elastofreq_direct", read_file(model / "model.deck"));
    ASSERT_EQ(layered.status, 0) << layered.err;
    for (const std::string file : {"fort.40", "fort.50"})
        expect_close("layered_30x24/" + file, layered.folder->read(file), read_file(model / file), 1e-9);
}

// Every example deck that stops in the input checks, the row limit of the
// large build (nx = 802) and missing material files end the direct program as
// they end the iterative program of the same row limit: same status, same
// messages, same files.
TEST(DirectProgram, BadInputEndsAsInTheIterativeProgram) {
    std::vector<std::pair<std::string, std::string>> decks;
    for (const auto& entry : fs::directory_iterator(kDecks)) {
        const std::string name = entry.path().stem().string();
        if (entry.path().extension() != ".deck" || name == "two_layer") continue;
        decks.emplace_back(name, read_file(entry.path()));
    }
    std::sort(decks.begin(), decks.end());
    ASSERT_GE(decks.size(), 20u);
    // nx = 603 is within the row limit of 801: make it 802.
    for (auto& [name, text] : decks)
        if (name == "stop_77_nx") {
            text = with_record(text, "ngx", "802");
            text = std::regex_replace(text, std::regex("6\\.0300000000E\\+03"), "8.0200000000E+03");
        }

    for (const auto& [name, text] : decks) {
        const FolderRun reference = run_two_layer("elastofreq_large", text);
        const FolderRun solve = run_two_layer("elastofreq_direct", text);
        if (name.rfind("plain_stop_", 0) != 0) {
            EXPECT_NE(reference.status, 0) << name;
        }
        EXPECT_EQ(solve.status, reference.status) << name;
        EXPECT_EQ(solve.err, reference.err) << name;
        EXPECT_EQ(solve.out, reference.out) << name;
    }

    // An ordering or a low-rank tolerance the environment names wrongly ends
    // the run as a run error that names the variable.
    for (const std::string variable : {"ELASTOFREQ_DIRECT_ORDERING=nested", "ELASTOFREQ_DIRECT_LOW_RANK=1e-x"}) {
        const FolderRun bad = run_two_layer("elastofreq_direct", two_layer_deck(), {.env = {variable}});
        EXPECT_EQ(bad.status, 2) << variable;
        EXPECT_NE(bad.err.find(variable.substr(0, variable.find('='))), std::string::npos) << bad.err;
    }

    // Missing material file: the run ends at the open with status 2.
    FolderRun missing;
    for (const char* name : {"p_modulus.freq", "bulk_density.mat"})
        fs::copy(kDecks / "two_layer" / name, missing.folder->path());
    missing.run("elastofreq_direct", two_layer_deck());
    EXPECT_EQ(missing.status, 2);
    EXPECT_NE(missing.err.find("s_modulus.freq"), std::string::npos) << missing.err;
}

// With T threads, T frequencies are solved side by side in worker processes,
// each from the same analysis: the files cannot depend on the thread count,
// nor on how the twelve frequencies fall to the workers (3 does not divide
// them evenly).
TEST(DirectProgram, FilesAreTheSameForOneTwoAndThreeThreads) {
    std::vector<FolderRun> runs;
    for (int threads = 1; threads <= 3; ++threads) {
        runs.push_back(run_two_layer("elastofreq_direct", two_layer_deck(),
                                     {.env = {"OMP_NUM_THREADS=" + std::to_string(threads)}}));
        ASSERT_EQ(runs.back().status, 0) << runs.back().err;
        EXPECT_EQ(runs.back().err, "");
    }
    expect_the_same_as_the_first(runs, "threads");
}

// A solve that fails in a worker process ends the run as it ends it on one
// thread: a NaN modulus at the third frequency of the sweep makes MUMPS give
// up; the status, the message and every file are the same.
TEST(DirectProgram, AFailedSolveEndsTheRunAlikeForOneAndTwoThreads) {
    std::string p_modulus;
    std::istringstream lines(read_file(kDecks / "two_layer" / "p_modulus.freq"));
    int k = 0;
    for (std::string line; std::getline(lines, line); ++k)
        p_modulus += (k == 3 ? "  4.750000000000E-02                 NaN  5.307855626327E+05" : line) + "\n";
    std::vector<FolderRun> runs;
    for (int threads = 1; threads <= 2; ++threads) {
        FolderRun r;
        fs::copy(kDecks / "two_layer", r.folder->path());
        r.folder->write("p_modulus.freq", p_modulus);
        r.run("elastofreq_direct", two_layer_deck(), {.env = {"OMP_NUM_THREADS=" + std::to_string(threads)}});
        EXPECT_EQ(r.status, 2);
        EXPECT_NE(r.err.find("MUMPS factorisation failed"), std::string::npos) << r.err;
        runs.push_back(r);
    }
    EXPECT_EQ(runs[1].err, runs[0].err);
    expect_the_same_as_the_first(runs, "threads");
}

// Each frequency is solved by one rank with the same code and rank 0 writes
// everything in sweep order: the files cannot depend on the number of ranks.
TEST(DirectProgramMpi, FilesAreTheSameForOneTwoAndThreeRanks) {
    if (!kMpi) GTEST_SKIP() << "built without ELASTOFREQ_MPI";
    const std::string deck = two_layer_deck();
    std::vector<FolderRun> runs;
    for (int ranks = 1; ranks <= 3; ++ranks) {
        runs.push_back(run_two_layer("elastofreq_direct", deck, {.ranks = ranks}));
        ASSERT_EQ(runs.back().status, 0) << runs.back().err;
    }
    expect_the_same_as_the_first(runs, "ranks");
}

// A stop in the input checks or a rejected deck ends the job with the status
// of the run on one process.
TEST(DirectProgramMpi, StopsEndTheJobWithTheirStatus) {
    if (!kMpi) GTEST_SKIP() << "built without ELASTOFREQ_MPI";
    for (const std::string name : {"stop_222_nmat", "reject_uncovered", "plain_stop_numat"}) {
        const std::string deck = read_file(kDecks / (name + ".deck"));
        const FolderRun one = run_two_layer("elastofreq_direct", deck);
        const FolderRun three = run_two_layer("elastofreq_direct", deck, {.ranks = 3});
        EXPECT_EQ(three.status, one.status) << name;
        EXPECT_EQ(three.out, one.out) << name;
        // the program's own message first; mpirun may add its account of the status
        EXPECT_EQ(three.err.substr(0, one.err.size()), one.err) << name;
    }
}

}  // namespace
