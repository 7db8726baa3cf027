// Every stop of the input deck with the lines printed before it.
#include <gtest/gtest.h>

#include "common/format.hpp"
#include "support/deck_builder.hpp"
#include "support/run_deck.hpp"

namespace ef::test {
namespace {

const std::string kRounded =
    "\n  rounded xsize =       0.10000000E+03 m ; \n rounded ysize =       0.80000000E+02 m \n\n";

TEST(ReadataStops, OpeningLinesAndRowLimit77) {
    DeckBuilder deck;
    deck.ngx = 603;
    deck.xsize = 6030.0;
    const RunResult r = run_deck(deck.text());
    EXPECT_TRUE(r.stopped_with(77));
    EXPECT_EQ(r.out,
              "\n # subdomains  in x-direction nsx =     1\n"
              " # subdomains  in y-direction nsy =     1\n"
              "\n # control subdomain ncontrol =     0\n"
              "\n Global # elements  in x-direction ngx =   603\n"
              " Global # elements  in y-direction ngy =     8\n"
              "\n Local # elements  in x-direction nx =   603\n"
              " Local # elements  in y-direction ny =     8\n");

    // The limit is the build's: the large build takes the same deck.
    EXPECT_EQ(run_deck(deck.text(), 801).ending, Ending::normal);

    DeckBuilder tall;
    tall.ngy = 1206;
    tall.ysize = 12060.0;
    tall.nsy = 2;  // ny = 603
    EXPECT_TRUE(run_deck(tall.text()).stopped_with(77));
    tall.ngy = 1205;  // ny = 602
    tall.ysize = 12050.0;
    EXPECT_EQ(run_deck(tall.text()).ending, Ending::normal);
}

TEST(ReadataStops, SizesAndRoundingLines) {
    const RunResult r = run_deck(DeckBuilder{}.text());
    ASSERT_EQ(r.ending, Ending::normal) << r.message;
    const std::string expected =
        "\n  processor grid size in the x-dir  hpx =        100.00000    \n"
        "  processor grid size in the y-dir  hpy  =        80.000000    \n"
        "\n  domain size xsize =       0.10000000E+03 m\n"
        "\n  domain size ysize =       0.80000000E+02 m\n"
        "\n   maxlow (max.iter. in low freq range ) =     20"
        " perclow ( perc. of(low) freq. solved with maxlow =       0.10000000E+00\n" +
        kRounded + "\n  mesh size h=       0.10000000E+02 m\n";
    EXPECT_NE(r.out.find(expected), std::string::npos) << r.out.substr(0, 1500);
}

TEST(ReadataStops, SnapshotCountsStopBeforeTheirValues) {
    // The deck ends right after the count: the count check comes first.
    DeckBuilder deck;
    deck.nsnapf_override = 11;
    RunResult r = run_deck(deck.text_through("nsnapf"));
    EXPECT_TRUE(r.stopped_with(5183));
    EXPECT_TRUE(r.out.ends_with(kRounded));

    DeckBuilder times;
    times.nsnapt_override = 11;
    r = run_deck(times.text_through("nsnapt"));
    EXPECT_TRUE(r.stopped_with(6183));
    EXPECT_TRUE(r.out.ends_with(kRounded));

    // Ten of each is the limit.
    DeckBuilder ten;
    ten.fsnap.assign(10, 0.5);
    ten.tsnap.assign(10, 1.0);
    EXPECT_EQ(run_deck(ten.text()).ending, Ending::normal);
}

TEST(ReadataStops, MaterialCount222BeforeAnyMaterial) {
    DeckBuilder deck;
    deck.nmat_override = 21;
    const RunResult r = run_deck(deck.text_through("nmat"));
    EXPECT_TRUE(r.stopped_with(222));
    EXPECT_TRUE(r.out.ends_with("\n   reduc =  relative error required        0.10000000E-03\n"))
        << r.out;
}

TEST(ReadataStops, TimeSamples999AfterTheLiuTables) {
    DeckBuilder deck;
    deck.stime = 1.0e6;
    const RunResult r = run_deck(deck.text());
    EXPECT_TRUE(r.stopped_with(999));
    EXPECT_GT(r.p.nt, 10000);
    // ve = sqrt(33333333.3 / 2e6), xmr = 33333333.3
    EXPECT_TRUE(r.out.ends_with("\n            1                   0.40825E+01         0.33333E+08\n"))
        << r.out.substr(r.out.size() - 300);
}

TEST(ReadataStops, Receivers9920AfterTheMute) {
    DeckBuilder deck;
    deck.nrec = 151;
    const RunResult r = run_deck(deck.text());
    EXPECT_TRUE(r.stopped_with(9920));
    EXPECT_TRUE(r.out.ends_with("\n   mute in msec  tmute =       0.00000000E+00\n"
                                 " mute in samples   ntmute =     0\n\n"))
        << r.out.substr(r.out.size() - 300);
}

TEST(ReadataStops, SourceOutsideTheBlock666) {
    // x rounded from 150 to 100 m: blocks are hpx = 75 m wide but hold 5
    // elements of 10 m, so a source at x = 70 m lies in column 8.
    DeckBuilder deck;
    deck.xsize = 150.0;
    deck.nsx = 2;
    deck.xsou = 70.0;
    RunResult r = run_deck(deck.text());
    EXPECT_TRUE(r.stopped_with(666));
    EXPECT_TRUE(r.out.ends_with("\n  wrong jsou =     8\n"));

    DeckBuilder rows;
    rows.ysize = 150.0;
    rows.nsy = 2;
    rows.ysou = 40.0;
    r = run_deck(rows.text());
    EXPECT_TRUE(r.stopped_with(666));
    EXPECT_TRUE(r.out.ends_with("\n  wrong ksou =     5\n"));

    // The message is gated, the stop is not.
    deck.ncontrol = 1;
    r = run_deck(deck.text());
    EXPECT_TRUE(r.stopped_with(666));
    EXPECT_EQ(r.out, "");
}

std::string receiver_lines(double xinic, double yinic, double xfin, double yfin) {
    std::string s;
    for (auto [label, v] : {std::pair{" xinic ", xinic}, {" yinic ", yinic}, {" xfin ", xfin},
                            {" yfin ", yfin}})
        s += list_record({label, v}) + list_record(std::span<const Item>());
    return s;
}

TEST(ReadataStops, SingleReceiverPlainStopAfterTheLine) {
    DeckBuilder deck;
    deck.nrec = 1;
    RunResult r = run_deck(deck.text());
    EXPECT_EQ(r.ending, Ending::plain_stop);
    EXPECT_TRUE(r.out.ends_with("\n  number of receivers, nrec =     1\n" +
                                     receiver_lines(10.0, 70.0, 90.0, 70.0)));
    deck.ncontrol = 1;
    r = run_deck(deck.text());
    EXPECT_EQ(r.ending, Ending::plain_stop);
    EXPECT_EQ(r.out, receiver_lines(10.0, 70.0, 90.0, 70.0));
}

TEST(ReadataStops, ReceiverOutsideTheBlock88888) {
    DeckBuilder deck;
    deck.nrec = 2;
    deck.xinic = 50.0;
    deck.xfin = 150.0;
    RunResult r = run_deck(deck.text());
    EXPECT_TRUE(r.stopped_with(88888));
    // The first receiver is printed in full before the second fails.
    EXPECT_TRUE(r.out.ends_with("\n receiver i =    1   irx & iry =     6    8\n"
                                "               rx(i) & ry(i) =   50.000000      70.000000      m\n"
                                "\n receiver i =    2   irx & iry =    16   16\n"
                                "               rx(i) & ry(i) =   150.00000      70.000000      m\n"
                                "\n receiver i =    2   irx(i)  =    16nx+1  =    11\n"))
        << r.out.substr(r.out.size() - 400);

    // On the right edge the row comes out ny too high: 1.5 h is ny + 2.
    DeckBuilder edge;
    edge.nrec = 2;
    edge.xinic = 0.0;
    edge.xfin = 100.0;
    edge.yinic = edge.yfin = 15.0;
    r = run_deck(edge.text());
    EXPECT_TRUE(r.stopped_with(88888));
    EXPECT_TRUE(r.out.ends_with("\n receiver i =    2    iry(i)  =    10ny+1  =     9\n"));
}

TEST(ReadataStops, Frequencies33377AfterTheBandLine) {
    DeckBuilder deck;
    deck.npf = 700;
    const RunResult r = run_deck(deck.text());
    EXPECT_TRUE(r.stopped_with(33377));
    EXPECT_GE(r.p.jw2, 699);
    char line[80];
    std::snprintf(line, sizeof line, "\n jw1 - jw2 - jwlow %7d%7d%7d\n", 2, r.p.jw2, r.p.jwlow);
    EXPECT_TRUE(r.out.ends_with(line));
}

struct RegionCase {
    DeckBuilder::Region region;
    std::int32_t nmat;
    std::string message;
};

TEST(ReadataStops, RegionChecksAlwaysPrintedThenPlainStop) {
    const DeckBuilder::Region whole{0.0, 100.0, 0.0, 80.0, 1};
    const std::vector<RegionCase> cases = {
        {{200.0, 300.0, 0.0, 80.0, 1}, 1, "\n  wrong material description  ixi =    21\n"},
        {{0.0, 100.0, 200.0, 300.0, 1}, 1, "\n  wrong material description  iyi =    21\n"},
        {{0.0, 4.0, 0.0, 80.0, 1}, 1, "\n  wrong material description  ixf =     0\n"},
        {{0.0, 100.0, 0.0, 4.0, 1}, 1, "\n  wrong material description  iyf =     0\n"},
        {{0.0, 100.0, 0.0, 80.0, 2}, 1, "\n  wrong material number numat  =     2\n"},
        {{0.0, 100.0, 0.0, 80.0, 0}, 1, "\n  wrong material number numat  =     0\n"},
        // Only the first failing check is reported.
        {{200.0, 4.0, 0.0, 80.0, 7}, 1, "\n  wrong material description  ixi =    21\n"},
    };
    for (const RegionCase& c : cases) {
        for (int ncontrol : {0, 1}) {
            DeckBuilder deck;
            deck.ncontrol = ncontrol;
            deck.regions = {whole, c.region};
            const RunResult r = run_deck(deck.text());
            EXPECT_EQ(r.ending, Ending::plain_stop) << c.message;
            EXPECT_TRUE(r.out.ends_with(c.message)) << c.message << r.out.substr(r.out.size() - 200);
            EXPECT_FALSE(r.has_file("matnum_gnu"));
            EXPECT_FALSE(r.has_file("slice_matnum_math"));
        }
    }
}

TEST(ReadataStops, RegionLinesAsReadAndAsElements) {
    DeckBuilder deck;
    const RunResult r = run_deck(deck.text());
    ASSERT_EQ(r.ending, Ending::normal) << r.message;
    EXPECT_NE(r.out.find("  from  xi                     =       0.00000000E+00 m  \n"
                         " up to xf                     =       0.10000000E+03 m \n"
                         " from  yi                     =       0.00000000E+00 m  \n"
                         " up to yf                     =       0.80000000E+02 m \n"
                         " material type number  numat  =     1\n\n"
                         "  from  ixi (x-global grid #)    =     1\n"
                         " up to ixf (x-global grid #)    =    10\n"
                         " from  iyi (y-global grid #)    =     1\n"
                         " up to yf  (y-global grid #)    =     8\n"
                         " material type number  numat    =     1\n\n"),
              std::string::npos);
    // The terminating region is printed as read, without element range.
    EXPECT_TRUE(r.out.ends_with("  from  xi                     =      -0.10000000E+01 m  \n"
                                 " up to xf                     =       0.00000000E+00 m \n"
                                 " from  yi                     =       0.00000000E+00 m  \n"
                                 " up to yf                     =       0.00000000E+00 m \n"
                                 " material type number  numat  =     0\n\n"));
}

}  // namespace
}  // namespace ef::test
