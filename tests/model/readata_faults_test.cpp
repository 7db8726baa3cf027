// Decks the model cannot use although no numbered check rejects them: each
// is refused with a message naming the value, before the value is used.
#include <gtest/gtest.h>

#include "support/deck_builder.hpp"
#include "support/run_deck.hpp"

namespace ef::test {
namespace {

RunResult expect_rejected(const std::string& deck, const std::string& message) {
    RunResult r = run_deck(deck);
    EXPECT_EQ(r.ending, Ending::run_error);
    EXPECT_EQ(r.message, message);
    return r;
}

TEST(ReadataFaults, GridCountsBelowOneBeforeAnyLine) {
    struct Case {
        const char* field;
        std::int32_t DeckBuilder::*member;
        std::int32_t value;
        const char* message;
    };
    const Case cases[] = {
        {"nsx", &DeckBuilder::nsx, 0,
         "input deck: nsx = 0 (record 3): the number of subdomains in x must be at least 1"},
        {"nsy", &DeckBuilder::nsy, -2,
         "input deck: nsy = -2 (record 4): the number of subdomains in y must be at least 1"},
        {"ngx", &DeckBuilder::ngx, 0,
         "input deck: ngx = 0 (record 6): the number of global elements in x must be at least 1"},
        {"ngy", &DeckBuilder::ngy, -1,
         "input deck: ngy = -1 (record 7): the number of global elements in y must be at least 1"},
    };
    for (const Case& c : cases) {
        DeckBuilder deck;
        deck.*c.member = c.value;
        const RunResult r = expect_rejected(deck.text(), c.message);
        EXPECT_EQ(r.out, "") << c.field;
    }
}

TEST(ReadataFaults, MaterialCountBelowOneBeforeAnyMaterialRecord) {
    DeckBuilder deck;
    deck.nmat_override = 0;
    const RunResult r = expect_rejected(
        deck.text_through("nmat"),
        "input deck: nmat = 0 (record 22): the number of materials must be at least 1");
    EXPECT_TRUE(r.out.ends_with("\n   reduc =  relative error required        0.10000000E-03\n"));
}

TEST(ReadataFaults, FrequencyStepNeedsPointsAndAPositiveF4) {
    DeckBuilder deck;
    deck.npf = 0;
    RunResult r = expect_rejected(
        deck.text(),
        "input deck: npf = 0 (record 15): the number of frequency points must be at least 1");
    // Everything up to the receivers is out; the Nyquist line is not.
    EXPECT_EQ(r.out.find(" nyquist frequency"), std::string::npos);
    EXPECT_NE(r.out.find("rx(i) & ry(i)"), std::string::npos);

    for (double f4 : {0.0, -1.0}) {
        DeckBuilder zero;
        zero.f4 = f4;
        zero.f3 = 0.0;
        expect_rejected(zero.text(),
                        std::string("input deck: f4 = ") + (f4 == 0.0 ? "0" : "-1") +
                            " (record 19): the highest band-pass frequency must be positive; "
                            "it sets the frequency step f4/npf");
    }
}

TEST(ReadataFaults, NegativeBandPassFrequencies) {
    for (const char* name : {"f1", "f2", "f3"}) {
        DeckBuilder deck;
        if (std::string(name) == "f1") deck.f1 = -0.5;
        if (std::string(name) == "f2") deck.f2 = -0.5;
        if (std::string(name) == "f3") deck.f3 = -0.5;
        const RunResult r = expect_rejected(
            deck.text(), std::string("input deck: ") + name +
                             " = -0.5 (record 19): band-pass frequencies must not be negative");
        // After the second band-pass block, before the snapshot indices.
        EXPECT_NE(r.out.find(" nyquist frequency"), std::string::npos);
        EXPECT_EQ(r.out.find(" freq. indices for snapshots"), std::string::npos);
    }
}

TEST(ReadataFaults, QuadratureAndWaveletType) {
    DeckBuilder deck;
    deck.keyqua = 3;
    RunResult r = expect_rejected(
        deck.text(),
        "input deck: keyqua = 3 (record 14): the frequency quadrature must be 1 (standard) or 2 "
        "(mid point)");
    EXPECT_NE(r.out.find(" time steps for snapshots"), std::string::npos);
    EXPECT_EQ(r.out.find("jw1 - jw2 - jwlow"), std::string::npos);

    for (std::int32_t key : {0, 4}) {
        DeckBuilder wavelet;
        wavelet.key = key;
        r = expect_rejected(wavelet.text(), "input deck: key = " + std::to_string(key) +
                                                " (record 16): the source wavelet type must be "
                                                "1, 2 or 3");
        EXPECT_TRUE(r.out.ends_with("\n jw1 - jw2 - jwlow       2     10      1\n"));
    }
}

TEST(ReadataFaults, ElementWithoutMaterialNamedAfterTheRegions) {
    DeckBuilder deck;
    deck.regions = {{0.0, 100.0, 0.0, 40.0, 1}, {0.0, 50.0, 40.0, 80.0, 1}};
    const RunResult r = expect_rejected(
        deck.text(),
        "input deck: no material region covers global element (I, J) = (6, 5); every element "
        "needs a material");
    // All regions were read (the terminator is the last line), no map file.
    EXPECT_TRUE(r.out.ends_with(" material type number  numat  =     0\n\n"));
    EXPECT_FALSE(r.has_file("matnum_gnu"));
}

TEST(ReadataFaults, BlockReachingPastTheRoundedGrid) {
    // h = 10 from x; ysize 500 is rounded to 400 but hpy stays 250, so the top
    // block (this process) starts at row 25 and its ring reaches row 46 > 41.
    DeckBuilder deck;
    deck.xsize = 1000.0;
    deck.ysize = 500.0;
    deck.ngx = 100;
    deck.ngy = 40;
    deck.nsy = 2;
    deck.ysou = 300.0;
    const RunResult r = expect_rejected(
        deck.text(),
        "input deck: the subdomain (ring included) covers global rows 25 to 46, outside 0 to "
        "ngy + 1 = 41: subdomains are hpy = 250 m high from the size as read, but the grid was "
        "rounded to ysize = 400 m");
    EXPECT_EQ(r.p.h, 10.0);
    EXPECT_EQ(r.p.ysize, 400.0);
    EXPECT_EQ(r.p.hpy, 250.0);
    EXPECT_EQ(r.p.ny, 20);
    // The source is placed with hpy = 250: y = 300 is row 6 of the top block.
    EXPECT_EQ(r.p.ksou, 6);
    EXPECT_EQ(r.p.isdsou, 0);
    // The model files were written before the check.
    EXPECT_TRUE(r.has_file("matnum_gnu"));

    deck.nsy = 1;
    EXPECT_EQ(run_deck(deck.text()).ending, Ending::normal);
}

TEST(ReadataFaults, ShortOrUnreadableDeckNamesTheRecord) {
    DeckBuilder deck;
    RunResult r = run_deck(deck.text_through("ngx"));
    EXPECT_EQ(r.ending, Ending::run_error);
    EXPECT_NE(r.message.find("ngy (record 7)"), std::string::npos) << r.message;

    deck.raw("xkr1", "not a number");
    r = run_deck(deck.text());
    EXPECT_EQ(r.ending, Ending::run_error);
    EXPECT_NE(r.message.find("xkr(1) (record 24)"), std::string::npos) << r.message;
}

}  // namespace
}  // namespace ef::test
