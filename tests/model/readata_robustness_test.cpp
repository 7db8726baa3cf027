// Decks that no numbered check rejects but that would make the reader convert
// NaN or an infinity to an integer, divide by a zero size or allocate a
// material map far beyond the build's extent: each ends with a run error
// naming the value, before the harm is done.
#include <cstdint>
#include <functional>
#include <limits>
#include <string>

#include <gtest/gtest.h>

#include "support/deck_builder.hpp"
#include "support/run_deck.hpp"

namespace ef::test {
namespace {

bool names(const RunResult& r, const std::string& part) {
    return r.message.find(part) != std::string::npos;
}

// The default deck with one change.
RunResult run_changed(const std::function<void(DeckBuilder&)>& change,
                      std::int32_t row_limit = 602) {
    DeckBuilder deck;
    change(deck);
    return run_deck(deck.text(), row_limit);
}

TEST(ReadataRobustness, NonFiniteRealsAreRejectedWhereRead) {
    // "(e20.8)" and list-directed records alike; the summary printed before
    // the record stays as it was.
    RunResult r = run_changed([](DeckBuilder& d) { d.raw("stime", "  -inf"); });
    ASSERT_EQ(r.ending, Ending::run_error);
    EXPECT_TRUE(names(r, "stime (record 18) = -inf: deck values must be finite")) << r.message;
    EXPECT_NE(r.out.find("rounded xsize"), std::string::npos);

    r = run_changed([](DeckBuilder& d) { d.raw("tsnap1", "NaN"); });
    ASSERT_EQ(r.ending, Ending::run_error);
    EXPECT_TRUE(names(r, "tsnap(1) (record 13) = nan")) << r.message;

    // A NaN left edge no longer passes for a region (NaN < 0 is false).
    r = run_changed([](DeckBuilder& d) { d.raw("region2.xi", "nan"); });
    ASSERT_EQ(r.ending, Ending::run_error);
    EXPECT_TRUE(names(r, "xi (region 2, record 39)")) << r.message;
    EXPECT_FALSE(r.has_file("matnum_gnu"));
}

TEST(ReadataRobustness, DomainSizesMustBePositive) {
    for (const double size : {0.0, -100.0}) {
        RunResult r = run_changed([size](DeckBuilder& d) { d.xsize = size; });
        ASSERT_EQ(r.ending, Ending::run_error);
        EXPECT_TRUE(names(r, "(record 8): the domain size must be positive")) << r.message;
        r = run_changed([size](DeckBuilder& d) { d.ysize = size; });
        ASSERT_EQ(r.ending, Ending::run_error);
        EXPECT_TRUE(names(r, "(record 9): the domain size must be positive")) << r.message;
    }
}

TEST(ReadataRobustness, GlobalGridBeyondTheMaterialMapExtent) {
    // nx = 99999 / 99999 = 1 passes the row limit check; the global map of
    // 10^10 elements would not fit any build and is refused before it is made.
    RunResult r = run_changed([](DeckBuilder& d) { d.nsx = d.ngx = d.nsy = d.ngy = 99999; });
    ASSERT_EQ(r.ending, Ending::run_error);
    EXPECT_TRUE(names(r, "ngx x ngy = 99999 x 99999 (records 6 and 7): the global grid may have "
                         "at most 5798464 elements")) << r.message;

    // 4 x 4 blocks of the row limit fit, one row more does not; the row
    // limit check comes first. (A fitting map of 5.8 million elements is not
    // run here: its matnum_gnu alone takes 200 MB.)
    const auto blocks = [](std::int32_t nsy) {
        return [nsy](DeckBuilder& d) {
            d.nsx = 4;
            d.ngx = 4 * 602;
            d.xsize = 10.0 * d.ngx;
            d.nsy = nsy;
            d.ngy = 4 * 602 + 1;
            d.ysize = 10.0 * d.ngy;
        };
    };
    r = run_changed(blocks(4));
    EXPECT_TRUE(names(r, "ngx x ngy = 2408 x 2409 (records 6 and 7): the global grid may have "
                         "at most 5798464 elements (4 x 4 subdomains of 602 x 602)")) << r.message;
    EXPECT_TRUE(run_changed(blocks(1)).stopped_with(77));
}

TEST(ReadataRobustness, CountsBeyondTheInt32RangeFailTheirLimit) {
    // A Gaussian-derivative wavelet of a vanishing frequency: the pulse is
    // longer than any int32 count of samples, which is over the limit.
    RunResult r = run_changed([](DeckBuilder& d) {
        d.key = 2;
        d.freq = 1.0e-300;
    });
    EXPECT_TRUE(r.stopped_with(12345));
    EXPECT_EQ(r.p.npulse, std::numeric_limits<std::int32_t>::max());
    EXPECT_TRUE(r.out.ends_with("\n  pulse length in samples********\n")) << r.out;

    // A simulation time of 10^12 time steps.
    r = run_changed([](DeckBuilder& d) { d.stime = 1.0e12; });
    EXPECT_TRUE(r.stopped_with(999));
    EXPECT_EQ(r.p.nt, std::numeric_limits<std::int32_t>::max());
}

TEST(ReadataRobustness, TaperCornerBeyondTheInt32Range) {
    // A found fault: f4 = 1e-100 makes f3 / delf + 1 = 8e100, which converts
    // to -2147483648; the span of the taper, if4 - if3, overflowed int32.
    const RunResult r = run_changed([](DeckBuilder& d) {
        d.f4 = 1.0e-100;
        d.f2 = 0.0;
    });
    EXPECT_EQ(r.p.if3, std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(r.p.if4, 11);
    EXPECT_EQ(r.ending, Ending::normal) << r.message;
}

TEST(ReadataRobustness, TimeAndFrequencyStepsMustBeUsable) {
    // A density of zero: infinite velocities, a time step of zero.
    RunResult r = run_changed([](DeckBuilder& d) { d.materials[0].ros = 0.0; });
    ASSERT_EQ(r.ending, Ending::run_error);
    EXPECT_TRUE(names(r, "the time step dt = 0.1 h / ppmax = 0 msec")) << r.message;
    EXPECT_TRUE(names(r, "ppmax = inf")) << r.message;

    // f4 / npf below the smallest double.
    r = run_changed([](DeckBuilder& d) {
        d.f4 = 4.9e-324;
        d.f3 = 0.0;
        d.f2 = 0.0;
        d.npf = 2;
    });
    ASSERT_EQ(r.ending, Ending::run_error);
    EXPECT_TRUE(names(r, "the frequency step f4/npf rounds to zero")) << r.message;
}

}  // namespace
}  // namespace ef::test
