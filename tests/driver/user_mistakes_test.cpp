// Decks with the mistakes a new user makes, through the built program: each
// that the program runs on draws one warning line on standard error, and
// standard output and every file stay as the same values typed correctly
// give them.
#include <string>

#include <gtest/gtest.h>

#include "driver/program_run.hpp"
#include "model/deck_builder.hpp"

namespace ef::test {
namespace {

int count_of(const std::string& text, const std::string& part) {
    int n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

ProgramRun run_with(const DeckBuilder& deck) {
    ProgramRun r;
    r.put(default_material_files());
    r.run(deck.text());
    return r;
}

// Room for every frequency of the default deck to converge.
DeckBuilder converging_deck() {
    DeckBuilder deck;
    deck.maxiter = deck.maxlow = 400;
    return deck;
}

TEST(UserMistakes, NumberPastItsFieldWarnsAndChangesNoOutput) {
    // ysize = 8.0e1 with a 0 typed into column 21, against the same value
    // followed by a label: labels written against a field do not warn.
    DeckBuilder cut = converging_deck();
    cut.raw("ysize", "               8.0e10 ysize");
    DeckBuilder labelled = converging_deck();
    labelled.raw("ysize", "               8.0e1m ysize").raw("ngx", "   10ngx");
    const ProgramRun a = run_with(cut);
    const ProgramRun b = run_with(labelled);
    EXPECT_EQ(a.status, 0);
    EXPECT_EQ(a.err,
              "elastofreq: warning: ysize (record 9), line 9 of standard input: the number runs "
              "past column 20: \"8.0e1\" is read and \"0\" after it is not; keep the number "
              "within columns 1 to 20\n");
    EXPECT_EQ(b.err, "");
    EXPECT_EQ(a.status, b.status);
    // but for the CPU-time line
    EXPECT_EQ(a.out.substr(0, a.out.find("tiempo=")), b.out.substr(0, b.out.find("tiempo=")));
    ASSERT_EQ(a.files(), b.files());
    for (const std::string& name : a.files()) EXPECT_EQ(a.file(name), b.file(name)) << name;
}

TEST(UserMistakes, BandAboveTheNyquistFrequencyWarnsOnce) {
    // The band typed in Hz: f4 = 25 kHz against a Nyquist frequency of
    // about 2 kHz (dt = 0.1 h / vp with 10 m elements and vp = 4.08 m/msec).
    DeckBuilder deck = converging_deck();
    deck.f3 = 18.0;
    deck.f4 = 25.0;
    const ProgramRun r = run_with(deck);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(count_of(r.err, "warning: the band reaches f4 = 25 kHz (record 19), above the "
                              "Nyquist frequency 2.04"),
              1)
        << r.err;
    EXPECT_EQ(count_of(r.err, "msec: frequency numbers 2 to 10 (2.5 to 22.5 kHz) are lost in the "
                              "traces and snapshots; frequencies are in kHz: was the band given "
                              "in Hz?\n"),
              1)
        << r.err;
}

TEST(UserMistakes, FrequenciesNotConvergedWarnAtTheEnd) {
    // The default deck leaves maxiter = 50 iterations: most frequencies stop
    // short. The warning counts the "NO convergence" lines of the summary.
    const ProgramRun r = run_with(DeckBuilder());
    EXPECT_EQ(r.status, 0);
    const int not_converged = count_of(r.out, " NO convergence  for freq. #");
    ASSERT_GT(not_converged, 0);
    EXPECT_EQ(count_of(r.err, "\n"), 1) << r.err;
    EXPECT_EQ(r.err.rfind("elastofreq: warning: " + std::to_string(not_converged) +
                              " of 9 frequencies did not converge within maxiter = 50 (maxlow = "
                              "20 in the low range) outer iterations; the largest relative "
                              "error left is ",
                          0),
              0u)
        << r.err;
}

}  // namespace
}  // namespace ef::test
