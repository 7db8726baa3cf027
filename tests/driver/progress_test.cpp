// The progress line of the sweep: its text, the in-place rewriting, the final
// newline, and that it appears on a terminal and nowhere else.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "driver/progress.hpp"
#include "support/program_runner.hpp"

namespace {

using ef::SweepProgress;
using Clock = SweepProgress::Clock;

std::string contents(std::FILE* f) {
    std::rewind(f);
    std::string text;
    for (int c = std::fgetc(f); c != EOF; c = std::fgetc(f)) text.push_back(static_cast<char>(c));
    return text;
}

TEST(SweepProgress, LineShowsBandPositionIterationsAndTimes) {
    EXPECT_EQ(SweepProgress::line(37, 10, 40, 45, 30.0),
              "frequency 37: 10 of 40 done (25%), 45 iterations, elapsed 0:30, left ~1:30");
    // Last frequency: nothing left; the estimate is elapsed / done per frequency.
    EXPECT_EQ(SweepProgress::line(2, 3, 3, 101, 7.4),
              "frequency 2: 3 of 3 done (100%), 101 iterations, elapsed 0:07, left ~0:00");
    EXPECT_EQ(SweepProgress::clock_text(3725.0), "1:02:05");
    EXPECT_EQ(SweepProgress::clock_text(59.6), "1:00");
    EXPECT_EQ(SweepProgress::clock_text(-1.0), "0:00");
}

TEST(SweepProgress, RewritesOneLineInPlaceAndEndsItOnce) {
    std::FILE* sink = std::tmpfile();
    ASSERT_NE(sink, nullptr);
    const Clock::time_point t0{};
    {
        SweepProgress progress(2, 11, sink, t0);  // ten frequencies
        progress.frequency_done(11, 1000, t0 + std::chrono::seconds(10));
        progress.frequency_done(10, 7, t0 + std::chrono::seconds(12));
        progress.finish();
        progress.finish();
    }
    const std::string first = SweepProgress::line(11, 1, 10, 1000, 10.0);
    const std::string second = SweepProgress::line(10, 2, 10, 7, 12.0);
    ASSERT_LT(second.size(), first.size());
    const std::string blank(first.size() - second.size(), ' ');
    EXPECT_EQ(contents(sink), "\r" + first + "\r" + "\r" + second + blank + "\r" + "\n");
    std::fclose(sink);
}

TEST(SweepProgress, LeftEarlyStillEndsTheLine) {
    std::FILE* sink = std::tmpfile();
    ASSERT_NE(sink, nullptr);
    { SweepProgress quiet(2, 5, sink, Clock::time_point{}); }  // nothing shown: no newline
    EXPECT_EQ(contents(sink), "");
    try {
        SweepProgress progress(2, 5, sink, Clock::time_point{});
        progress.frequency_done(5, 3, Clock::time_point{});
        throw 3;  // a stop in the middle of the sweep
    } catch (int) {
    }
    const std::string text = contents(sink);
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text.back(), '\n');
    std::fclose(sink);
}

// Runs a small sweep's worth of progress in a child whose standard error is
// either a pseudo-terminal or not, and returns what arrived.
std::string child_stderr(bool terminal) {
    const auto sweep = [] {
        SweepProgress progress(2, 5);
        for (int jw = 5; jw >= 2; --jw) progress.frequency_done(jw, 10 * jw);
        progress.finish();
    };
    return ef::test::run_in_child(sweep, {.terminal = terminal}).err;
}

TEST(SweepProgress, ShownOnATerminalOnly) {
    const std::string on_terminal = child_stderr(true);
    EXPECT_NE(on_terminal.find("frequency 5: 1 of 4 done (25%), 50 iterations"), std::string::npos)
        << on_terminal;
    EXPECT_NE(on_terminal.find("frequency 2: 4 of 4 done (100%), 20 iterations"),
              std::string::npos);
    EXPECT_EQ(on_terminal.find('\n'), on_terminal.size() - 1);  // the one final newline
    EXPECT_EQ(child_stderr(false), "");
}

}  // namespace
