// Edge cases of the deck, the geometry, the material tables and the sampling
// as readata computes them end to end.
#include <cmath>

#include <gtest/gtest.h>

#include "common/format.hpp"
#include "support/deck_builder.hpp"
#include "support/run_deck.hpp"

namespace ef::test {
namespace {

RunResult run_ok(const DeckBuilder& deck) {
    RunResult r = run_deck(deck.text());
    EXPECT_EQ(r.ending, Ending::normal) << r.message << r.code;
    return r;
}

std::string ungated_lines(const RunParams& p) {
    std::string s;
    const std::pair<const char*, double> lines[] = {
        {" xinic ", p.xinic}, {" yinic ", p.yinic}, {" xfin ", p.xfin}, {" yfin ", p.yfin},
        {" deltarecx ", p.deltarecx}, {" deltarecy ", p.deltarecy}};
    for (const auto& [label, v] : lines) s += list_record({label, v}) + list_record(std::span<const Item>());
    // The source files are announced whatever the controlling process.
    return s + list_record({" writes in 20 source in time"}) +
           list_record({" writes in 21 amplitude source"});
}

TEST(ReadataEdges, OtherControllingProcessPrintsOnlyUngatedLines) {
    DeckBuilder deck;
    deck.ncontrol = 1;
    const RunResult r = run_ok(deck);
    EXPECT_EQ(r.out, ungated_lines(r.p));
    EXPECT_EQ(r.a1.ncontrol, 1);
    EXPECT_TRUE(r.has_file("matnum_gnu"));
    EXPECT_TRUE(r.has_file("slice_matnum_math"));
    // The same deck printed by the controlling process.
    deck.ncontrol = 0;
    EXPECT_GT(run_ok(deck).out.size(), 5000u);
}

TEST(ReadataEdges, EmptySnapshotListsAndRecordForms) {
    DeckBuilder deck;
    deck.fsnap.clear();  // nsnapf 0: one record still read and ignored
    deck.tsnap.clear();  // nsnapt 0: no record at all
    RunResult r = run_ok(deck);
    EXPECT_EQ(r.p.nsnapf, 0);
    EXPECT_EQ(r.p.nsnapt, 0);
    EXPECT_EQ(r.p.keyqua, 1);

    // "(e20.8)" without a decimal point has 8 implied decimals; text after
    // column 5 or 20 is a comment; list-directed input takes the first value.
    DeckBuilder forms;
    forms.raw("freq", "2                   freq typed without a point");
    forms.raw("stime", "20.                 stime with one");
    forms.raw("ngx", "   1099999 comment glued to the field");
    forms.raw("tsnap1", "  7.5, 99  first value only");
    forms.raw("ros1", "2");
    r = run_ok(forms);
    EXPECT_EQ(r.p.freq, 2.0e-8);
    EXPECT_EQ(r.p.stime, 20.0);
    EXPECT_EQ(r.p.ngx, 10);
    EXPECT_EQ(r.p.tsnap[1], 7.5);
    EXPECT_EQ(r.p.ros[1], 2.0e6);
}

TEST(ReadataEdges, MeshSizeAndRounding) {
    DeckBuilder deck;
    deck.xsize = 1000.0;
    deck.ysize = 500.0;
    deck.ngx = 100;
    deck.ngy = 40;
    RunResult r = run_ok(deck);
    EXPECT_EQ(r.p.h, 10.0);
    EXPECT_EQ(r.p.xsize, 1000.0);
    EXPECT_EQ(r.p.ysize, 400.0);
    EXPECT_EQ(r.p.hpy, 500.0);

    // ngx = 101 in two blocks: nx = 50, the last column belongs to no block.
    DeckBuilder odd;
    odd.ngx = 101;
    odd.xsize = 1010.0;
    odd.nsx = 2;
    r = run_ok(odd);
    EXPECT_EQ(r.p.nx, 50);
    EXPECT_EQ(r.p.hpx, 505.0);
    EXPECT_EQ(r.p.matnum(101, 1), 1);
}

TEST(ReadataEdges, SourceIsClampedOneElementInside) {
    struct Case {
        double xsou, ysou, x, y;
        std::int32_t jsou, ksou;
    };
    for (const Case& c : {Case{0.0, -5.0, 10.0, 10.0, 2, 2}, Case{500.0, 1000.0, 90.0, 70.0, 10, 8},
                          Case{50.0, 40.0, 50.0, 40.0, 6, 5}}) {
        DeckBuilder deck;
        deck.xsou = c.xsou;
        deck.ysou = c.ysou;
        const RunResult r = run_ok(deck);
        EXPECT_EQ(r.p.xsou, c.x);
        EXPECT_EQ(r.p.ysou, c.y);
        EXPECT_EQ(r.p.jsou, c.jsou);
        EXPECT_EQ(r.p.ksou, c.ksou);
        EXPECT_EQ(r.p.isdsou, 0);
    }
}

TEST(ReadataEdges, ReceiversOnTheEdges) {
    // (0, 0) is element (1, 1), (95, 75) element (10, 8).
    DeckBuilder deck;
    deck.nrec = 2;
    deck.xinic = 0.0;
    deck.yinic = 0.0;
    deck.xfin = 95.0;
    deck.yfin = 75.0;
    RunResult r = run_ok(deck);
    EXPECT_EQ(r.p.irx[1], 1);
    EXPECT_EQ(r.p.iry[1], 1);
    EXPECT_EQ(r.p.irx[2], 10);
    EXPECT_EQ(r.p.iry[2], 8);

    // On the right edge, on the top edge or above it the block number wraps
    // (the receiver would land in the ghost column, in row 1, in row 2): the
    // run is refused, naming the receiver and where receivers belong.
    const struct {
        double x, y;
        const char* where;
    } outside[] = {{100.0, 0.0, "x = 100 m, y = 0 m lies on or beyond the right edge"},
                   {50.0, 80.0, "x = 50 m, y = 80 m lies on or beyond the top edge"},
                   {50.0, 250.0, "x = 50 m, y = 250 m lies on or beyond the top edge"}};
    for (const auto& c : outside) {
        deck.xfin = c.x;
        deck.yfin = c.y;
        r = run_deck(deck.text());
        EXPECT_EQ(r.ending, Ending::run_error) << c.where;
        EXPECT_EQ(r.message, std::string("input deck: receiver 2 (record 38) at ") + c.where +
                                 " of the model, 0 <= x < 100 m and 0 <= y < 80 m (xsize and "
                                 "ysize, records 8 and 9), and would be recorded elsewhere; "
                                 "place the receivers inside the model, a surface line half an "
                                 "element below the top, at y = 75 m");
        EXPECT_NE(r.out.find("rx(i) & ry(i)"), std::string::npos);
    }
    // The stop for a row past ny + 1 comes first (x = xsize, y = 1.5 h).
    deck.xfin = 100.0;
    deck.yfin = 15.0;
    EXPECT_TRUE(run_deck(deck.text()).stopped_with(88888));

    // Above the rounded top but below ysize as read: the ghost row, as before.
    deck.ysize = 85.0;
    deck.xfin = 95.0;
    deck.yfin = 82.0;
    r = run_ok(deck);
    EXPECT_EQ(r.p.iry[2], 9);

    // Three receivers spread along a line.
    DeckBuilder line;
    r = run_ok(line);
    EXPECT_EQ(r.p.deltarecx, 40.0);
    EXPECT_EQ(r.p.deltarecy, 0.0);
    EXPECT_EQ(r.p.rx[3], 90.0);
    EXPECT_EQ(r.p.irx[3], 10);
    EXPECT_EQ(r.p.iry[3], 8);
}

TEST(ReadataEdges, MaterialMapRegionsOverlapAndRing) {
    DeckBuilder deck;
    deck.materials.resize(2);
    deck.regions = {{0.0, 100.0, 0.0, 80.0, 1},
                    {0.0, 20.0, 60.0, 80.0, 2},   // columns 1-2, rows 7-8
                    {12.0, 14.0, 0.0, 80.0, 2}};  // no element centre: nothing
    const RunResult r = run_ok(deck);
    const Grid2<std::int32_t>& m = r.p.matnum;
    EXPECT_EQ(m.nx(), 10);
    EXPECT_EQ(m.ny(), 8);
    EXPECT_EQ(m(1, 8), 2);
    EXPECT_EQ(m(2, 7), 2);
    EXPECT_EQ(m(3, 8), 1);
    EXPECT_EQ(m(2, 6), 1);
    // Ring: columns first, then rows, so corners copy the corner elements.
    EXPECT_EQ(m(0, 8), 2);
    EXPECT_EQ(m(0, 9), 2);
    EXPECT_EQ(m(11, 9), 1);
    EXPECT_EQ(m(0, 0), 1);
    EXPECT_EQ(m(1, 9), 2);
    EXPECT_EQ(m(11, 3), 1);
}

std::string map_file(const Grid2<std::int32_t>& m) {
    std::string s;
    for (int j = 1; j <= m.ny(); ++j)
        for (int i = 1; i <= m.nx(); ++i) s += list_record({i, j, m(i, j)});
    return s;
}

TEST(ReadataEdges, MaterialMapFilesForOneAndFiveColumns) {
    static const Format slice("(g15.5,i5)");
    // One column: the slice is taken at column 0, the ring copy of column 1.
    DeckBuilder one;
    one.ngx = 1;
    one.ngy = 4;
    one.xsize = 10.0;
    one.ysize = 40.0;
    one.xinic = one.xfin = 5.0;
    one.yinic = 5.0;
    one.yfin = 35.0;
    one.materials.resize(2);
    one.regions = {{0.0, 10.0, 0.0, 20.0, 1}, {0.0, 10.0, 20.0, 40.0, 2}};
    RunResult r = run_ok(one);
    EXPECT_EQ(r.file("matnum_gnu"), list_record({1, 1, 1}) + list_record({1, 2, 1}) +
                                        list_record({1, 3, 2}) + list_record({1, 4, 2}));
    EXPECT_EQ(r.file("slice_matnum_math"), slice.apply({0.0, 1}) + slice.apply({10.0, 1}) +
                                               slice.apply({20.0, 2}) + slice.apply({30.0, 2}));

    // Five columns: the slice is column 2, not 3.
    DeckBuilder five;
    five.ngx = 5;
    five.ngy = 2;
    five.xsize = 50.0;
    five.ysize = 20.0;
    five.xinic = 5.0;
    five.xfin = 45.0;
    five.yinic = five.yfin = 15.0;
    five.xsou = 25.0;
    five.ysou = 10.0;
    five.materials.resize(2);
    five.regions = {{0.0, 20.0, 0.0, 20.0, 1}, {20.0, 50.0, 0.0, 20.0, 2}};
    r = run_ok(five);
    EXPECT_EQ(r.file("matnum_gnu"), map_file(r.p.matnum));
    EXPECT_EQ(r.file("slice_matnum_math"), slice.apply({0.0, 1}) + slice.apply({10.0, 1}));
    EXPECT_EQ(r.p.matnum(3, 1), 2);
}

TEST(ReadataEdges, MaterialTablesScaledBoundsAndLiu) {
    DeckBuilder deck;
    deck.materials.resize(3);
    deck.materials[0].deltp = 0.0;    // no attenuation
    deck.materials[1].deltp = 1e-10;  // not below the threshold
    deck.materials[1].xkr = 1.0e11;
    deck.materials[2].xkr = 5.0e11;  // the fastest, last
    deck.materials[2].fq1 = 0.0;
    const RunResult r = run_ok(deck);
    const RunParams& p = r.p;
    EXPECT_EQ(p.ros[1], 2.0e6);
    EXPECT_EQ(p.xkr[2], 1.0e11 * 1e-4);
    EXPECT_EQ(p.kf[1], 2.2e10 * 1e-4);
    EXPECT_EQ(p.ks[3], 3.6e11 * 1e-4);
    EXPECT_EQ(p.phi[2], 0.2);
    EXPECT_EQ(p.const_[1], 0.0);
    EXPECT_EQ(p.qp[1], 0.0);
    EXPECT_EQ(p.qp[2], 3.14159265358979 / 1e-10);
    EXPECT_EQ(p.const_[2], 2.0 / (p.qp[2] * 3.14159265358979));
    EXPECT_TRUE(std::isinf(p.tau1[3]));
    EXPECT_EQ(p.tau2[1], 1.0 / (6.28318530717958 * 10.0));

    const auto vp = [&](int m) { return std::sqrt((p.xmur[m] * 4.0 / 3.0 + p.xkr[m]) / p.ros[m]); };
    EXPECT_EQ(p.ppmax, vp(3));
    EXPECT_EQ(p.ppmin, vp(2));
    EXPECT_EQ(p.pp1, vp(1));
    EXPECT_EQ(p.pp2, vp(2));
    EXPECT_EQ(p.bulmin, 1.0e7);
    EXPECT_EQ(p.bulmax, 5.0e7);
    EXPECT_EQ(p.umin, 1.0e7);
    EXPECT_EQ(p.ssmax, std::sqrt(1.0e7 / 2.0e6));
    EXPECT_EQ(p.xmr[3], 1.0e7 * 4.0 / 3.0 + 5.0e7);
    EXPECT_EQ(p.ve[3], std::sqrt(p.xmr[3] / 2.0e6));
    EXPECT_EQ(p.dt, (10.0 / vp(3)) * 0.1);
}

TEST(ReadataEdges, TimeAndFrequencySampling) {
    DeckBuilder deck;
    deck.fsnap = {0.25, 0.0};
    deck.tsnap = {10.0};
    deck.tmute = 5.0;
    RunResult r = run_ok(deck);
    const RunParams& p = r.p;
    EXPECT_EQ(p.w0, 6.28318530717958 * 0.5);
    EXPECT_EQ(p.alfa, p.w0 * 0.79 / 3.14159265358979);
    EXPECT_EQ(p.nt, static_cast<int>(20.0 / p.dt));
    EXPECT_EQ(p.ntmute, static_cast<int>(5.0 / p.dt));
    EXPECT_EQ(p.fnyquist, 1.0 / (p.dt + p.dt));
    EXPECT_EQ(p.delf, 0.1);
    EXPECT_EQ(p.delw, 0.1 * 6.28318530717958);
    EXPECT_EQ(p.if1, 1);
    EXPECT_EQ(p.if2, 2);
    EXPECT_EQ(p.if3, 9);
    EXPECT_EQ(p.if4, 11);
    EXPECT_EQ(p.jwsnap[1], 3);
    EXPECT_EQ(p.jwsnap[2], 1);
    EXPECT_EQ(p.itsnap[1], static_cast<int>(10.0 / p.dt));
    EXPECT_EQ(p.jw1, 2);
    EXPECT_EQ(p.jw2, 10);
    EXPECT_EQ(p.jwlow, 1);

    // f3 = f4: a one-step taper.
    DeckBuilder equal;
    equal.f3 = 1.0;
    r = run_ok(equal);
    EXPECT_EQ(r.p.if4, 11);
    EXPECT_EQ(r.p.if3, 10);

    // npf 100, f4 10: delf 0.1, jw2 100, if4 101; perclow 0.25 gives jwlow 25.
    DeckBuilder wide;
    wide.npf = 100;
    wide.f4 = 10.0;
    wide.perclow = 0.25;
    wide.keyqua = 2;
    r = run_ok(wide);
    EXPECT_EQ(r.p.delf, 0.1);
    EXPECT_EQ(r.p.jw2, 100);
    EXPECT_EQ(r.p.if4, 101);
    EXPECT_EQ(r.p.jwlow, 25);
    EXPECT_EQ(r.p.jw1, 1);
    EXPECT_NE(r.out.find("\n  if1 if2 if3 if4 =     1     2     9   101\n"), std::string::npos);
    EXPECT_NE(r.out.find("\n jw1 - jw2 - jwlow       1    100     25\n"), std::string::npos);
}

}  // namespace
}  // namespace ef::test
