// The complete minimal deck of docs/deck.md, taken from the guide itself, runs
// as the guide says: elastofreq_moduli makes material files with the lines the
// guide quotes, elastofreq_check ends with 3435 (107 for the shell), and the
// solver produces the sampling and the files the guide announces. A deck copied
// from the guide must never fail because the guide drifted from the programs.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "support/program_runner.hpp"

namespace {

using ef::test::ProgramResult;
using ef::test::run_program;

// The lines of the first fenced block (``` ... ```) of the guide: the deck.
std::string fenced_deck(const std::string& text) {
    std::istringstream in(text);
    std::string line, deck;
    bool inside = false;
    while (std::getline(in, line)) {
        if (line == "```") {
            if (inside) break;
            inside = true;
            continue;
        }
        if (inside) deck += line + '\n';
    }
    return deck;
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST(DocumentedDeck, MinimalDeckRunsAsTheGuideDescribes) {
    const std::string text = ef::test::source_file("docs/deck.md");
    const std::string deck = fenced_deck(text);
    ASSERT_GT(deck.size(), 1000u) << "no deck block in docs/deck.md";
    const ef::test::ScratchDir dir;

    const ProgramResult moduli = run_program(dir.path(), "elastofreq_moduli", deck);
    ASSERT_EQ(moduli.status, 0) << moduli.err;
    // The guide quotes the first two and the last frequency line of material 1.
    const std::vector<std::string> p = dir.lines("p_modulus.freq");
    ASSERT_EQ(p.size(), 21u);  // one header, 20 frequencies
    EXPECT_EQ(p[0], "    1");
    for (const std::size_t k : {std::size_t{1}, std::size_t{2}, std::size_t{20}})
        EXPECT_TRUE(contains(text, "    " + p[k] + "\n")) << p[k];
    EXPECT_EQ(dir.lines("bulk_density.mat"),
              (std::vector<std::string>{"    1", "  0.220000000000E+07"}));
    EXPECT_TRUE(contains(text, "`  0.220000000000E+07`"));

    const ProgramResult check = run_program(dir.path(), "elastofreq_check", deck);
    EXPECT_EQ(check.status, 3435 % 256);
    EXPECT_EQ(check.status, 107);
    EXPECT_EQ(check.err, "STOP 3435\n");
    EXPECT_EQ(dir.lines("vp.freq").size(), 1u);

    const ProgramResult solver = run_program(dir.path(), "elastofreq", deck);
    ASSERT_EQ(solver.status, 0) << solver.err;
    EXPECT_EQ(solver.err, "");
    // dt = 0.3333 ms, nt = 600, 20 frequencies from 1.25 to 48.75 Hz.
    EXPECT_TRUE(contains(solver.out, " time step  dt =       0.33333333E+00 msec"));
    EXPECT_TRUE(contains(solver.out, " number of time steps  nt =    600"));
    EXPECT_TRUE(contains(solver.out, "jw1 - jw2 - jwlow       1     20      4"));
    EXPECT_EQ(dir.lines("iter.freq").size(), 20u);
    EXPECT_EQ(dir.lines("vx_traces.su").size(), 6000u);
    EXPECT_EQ(dir.lines("vz_traces.su").size(), 6000u);
    EXPECT_EQ(dir.lines("fort.40").size(), 400u);
    EXPECT_EQ(dir.lines("fort.50").size(), 400u);
    EXPECT_EQ(dir.lines("fort.15").size(), 400u);
    EXPECT_FALSE(dir.exists("fort.41"));
    EXPECT_FALSE(dir.exists("fort.19"));  // 20 x 20 elements: no small print
    // Every frequency converged: no count of maxiter + 1 = 1001.
    for (const std::string& line : dir.lines("iter.freq")) EXPECT_FALSE(contains(line, "1001"));
    // The run ends on the CPU-time line, as the guide tells users to check.
    EXPECT_TRUE(contains(solver.out.substr(solver.out.rfind('\n', solver.out.size() - 2)),
                         " tiempo="));
}

}  // namespace
