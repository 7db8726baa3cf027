// The two-layer example deck and its material files, read as a run reads
// them: the deck through readata, then the moduli for the band it sets.
#include <sstream>

#include <gtest/gtest.h>

#include "common/units.hpp"
#include "model/material_files.hpp"
#include "support/run_deck.hpp"

namespace ef::test {
namespace {

const std::string kDecks = std::string(ELASTOFREQ_TEST_DATA) + "/decks";

TEST(TwoLayerDeck, SetsUpTheModelAndMatchesItsMaterialFiles) {
    const RunResult r = run_deck(read_file(kDecks + "/two_layer.deck"));
    ASSERT_EQ(r.ending, Ending::normal) << r.message;
    const RunParams& p = r.p;
    EXPECT_EQ(p.nx, 20);
    EXPECT_EQ(p.ny, 16);
    EXPECT_EQ(p.h, 10.0);
    EXPECT_EQ(p.keyqua, 2);
    EXPECT_EQ(p.jw1, 1);
    EXPECT_EQ(p.jw2, 12);
    EXPECT_EQ(p.jwlow, 3);
    EXPECT_EQ(p.if3, 11);
    EXPECT_EQ(p.if4, 13);
    EXPECT_EQ(p.nrec, 5);
    EXPECT_EQ(p.irx[5], 19);
    EXPECT_EQ(p.iry[1], 16);
    EXPECT_EQ(p.jsou, 11);
    EXPECT_EQ(p.ksou, 13);
    EXPECT_LT(p.nt, 10000);
    EXPECT_EQ(p.matnum(1, 8), 2);
    EXPECT_EQ(p.matnum(20, 9), 1);
    EXPECT_EQ(p.matnum(0, 17), 1);

    std::istringstream in;
    std::ostringstream out;
    Units units(in, out, kDecks + "/two_layer");
    units.open(1, "p_modulus.freq", FileStatus::old_file);
    units.open(2, "s_modulus.freq", FileStatus::old_file);
    units.open(7, "bulk_density.mat", FileStatus::old_file);
    const MaterialModuli mod = read_material_files(units, p);
    // Relaxed moduli of the deck, scaled as the deck's are.
    for (int m = 1; m <= 2; ++m) {
        EXPECT_EQ(mod.densmat[m], p.ros[m]);
        EXPECT_NEAR(mod.p_modulus(m, 12).re, p.xmur[m] * 4.0 / 3.0 + p.xkr[m], 1.0);
        EXPECT_NEAR(mod.s_modulus(m, 1).re, p.xmur[m], 1.0);
        EXPECT_GT(mod.p_modulus(m, 1).im, 0.0);
    }
}

}  // namespace
}  // namespace ef::test
