// The sampling advice of elastofreq_moduli: the slowest S and P waves of the
// materials the grid uses, at the top frequency of the band, their elements
// per wavelength and the error the dispersion table predicts there; the
// warning below 10 elements per S wavelength, from the library and from the
// program itself.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "driver/element_properties.hpp"
#include "model/dispersion_table.hpp"
#include "model/liu_moduli.hpp"
#include "model/sampling.hpp"
#include "model/sampling_advice.hpp"
#include "support/deck_builder.hpp"
#include "support/program_runner.hpp"
#include "support/records.hpp"
#include "support/run_deck.hpp"

namespace {

using ef::test::DeckBuilder;

// Two purely elastic materials: 1 fast (vs = sqrt(5), vp = sqrt(50/3)),
// 2 slow (vs = 1, vp = 2). Elements of 10 m, band up to f4.
DeckBuilder two_material_deck(double f4) {
    DeckBuilder deck;
    DeckBuilder::Material fast;
    fast.deltp = fast.delts = 0.0;
    fast.phi = 0.0;
    fast.ks = 1e11 * 4.0 / 3.0 + 2e11;
    DeckBuilder::Material slow = fast;
    slow.xmur = 2e10;
    slow.xkr = 8e10 - 2e10 * 4.0 / 3.0;
    slow.ks = 8e10;
    deck.materials = {fast, slow};
    deck.f3 = f4;
    deck.f4 = f4;
    return deck;
}

ef::SamplingAdvice advice_of(const DeckBuilder& deck) {
    const ef::test::RunResult r = ef::test::run_deck(deck.text());
    EXPECT_EQ(r.ending, ef::test::Ending::normal) << r.message;
    std::vector<double> f(static_cast<std::size_t>(r.p.jw2) + 1, 0.0);
    for (int jw = r.p.jw1; jw <= r.p.jw2; ++jw) f[jw] = ef::frequency_of(jw, r.p);
    return ef::sampling_advice(r.p, ef::liu_material_moduli(r.p, f), f);
}

TEST(SamplingAdvice, SlowestMaterialOfTheGridAtTheTopFrequency) {
    // Only the fast material in the grid: the slow one is ignored.
    DeckBuilder deck = two_material_deck(1.0);
    const ef::SamplingAdvice only_fast = advice_of(deck);
    // keyqua 1, npf 10, f4 1 kHz: the top frequency is (10 - 1) * 0.1 kHz.
    EXPECT_NEAR(only_fast.top_frequency, 0.9, 1e-12);
    EXPECT_EQ(only_fast.h, 10.0);
    EXPECT_EQ(only_fast.s.material, 1);
    EXPECT_NEAR(only_fast.s.velocity, std::sqrt(5.0), 1e-12);
    EXPECT_NEAR(only_fast.p.velocity, std::sqrt(50.0 / 3.0), 1e-9);

    // A strip of the slow material: it now sets both wave types.
    deck.regions = {{0.0, 100.0, 0.0, 80.0, 1}, {0.0, 100.0, 0.0, 20.0, 2}};
    const ef::SamplingAdvice with_slow = advice_of(deck);
    EXPECT_EQ(with_slow.s.material, 2);
    EXPECT_EQ(with_slow.p.material, 2);
    EXPECT_NEAR(with_slow.s.velocity, 1.0, 1e-12);
    EXPECT_NEAR(with_slow.p.velocity, 2.0, 1e-9);  // the deck holds xkr to 12 digits
    EXPECT_NEAR(with_slow.s.g, 1.0 / (0.9 * 10.0), 1e-12);
    EXPECT_NEAR(with_slow.p.g, 2.0 / (0.9 * 10.0), 1e-12);
}

TEST(SamplingAdvice, PredictedErrorIsTheTableAtTheRunsG) {
    // f4 = 0.005 kHz: top frequency 0.0045 kHz, G_S = 1 / 0.045 = 22.2 and
    // G_P = 44.4, both inside the table and between its nodes.
    DeckBuilder deck = two_material_deck(0.005);
    deck.regions = {{0.0, 100.0, 0.0, 80.0, 2}};
    const ef::SamplingAdvice a = advice_of(deck);
    EXPECT_NEAR(a.s.g, 1.0 / 0.045, 1e-9);
    EXPECT_NEAR(a.p.g, 2.0 / 0.045, 1e-9);
    EXPECT_EQ(a.s.error, ef::predicted_phase_velocity_error(ef::WaveType::s, a.s.g));
    EXPECT_EQ(a.p.error, ef::predicted_phase_velocity_error(ef::WaveType::p, a.p.g));
    // Between the S nodes at G = 20 and 25.
    EXPECT_LT(a.s.error, ef::predicted_phase_velocity_error(ef::WaveType::s, 20.0));
    EXPECT_GT(a.s.error, ef::predicted_phase_velocity_error(ef::WaveType::s, 25.0));
    const std::string report = ef::sampling_report(a);
    EXPECT_NE(report.find("slowest S wave (material 2, 1 m/msec): 22.2 elements per wavelength,"
                          " phase velocity 0.28 % too fast"),
              std::string::npos)
        << report;
    EXPECT_EQ(report.find("warning"), std::string::npos) << report;
}

TEST(SamplingAdvice, WarnsBelowTenElementsPerShearWavelength) {
    // G_S = 1 / (f * 10 m): f = 0.0099 kHz gives 10.1, 0.0108 kHz gives 9.26.
    for (const auto& [f4, warns] : {std::pair{0.011, false}, std::pair{0.012, true}}) {
        DeckBuilder deck = two_material_deck(f4);
        deck.regions = {{0.0, 100.0, 0.0, 80.0, 2}};
        const ef::SamplingAdvice a = advice_of(deck);
        EXPECT_EQ(a.s.g < 10.0, warns) << a.s.g;
        const std::string report = ef::sampling_report(a);
        EXPECT_EQ(report.find("warning: fewer than 10 elements per S wavelength") !=
                      std::string::npos,
                  warns)
            << report;
        if (warns) {
            // h for 10 elements per wavelength at the top frequency, and the band
            // for 10 elements with this h.
            char expected[160];
            std::snprintf(expected, sizeof expected, "use h <= %.4g m or a band up to %.4g kHz",
                          1.0 / (10.0 * a.top_frequency), 1.0 / (10.0 * 10.0));
            EXPECT_NE(report.find(expected), std::string::npos) << report;
        }
    }
}

// elastofreq_moduli itself, on the shipped example's deck (5 m elements,
// 1.4 km/s shear waves) with its band widened to 49 Hz (6 elements per
// wavelength) and cut to 10 Hz (about 30 elements per wavelength).
std::string example_deck(const std::string& f4) {
    const std::string deck = ef::test::source_file("examples/two_layer/deck.in");
    return ef::test::with_record(ef::test::with_record(deck, "f3", f4), "f4", f4);
}

ef::test::ProgramResult run_generator(const std::string& deck) {
    const ef::test::ScratchDir dir;
    const ef::test::ProgramResult r = ef::test::run_program(dir.path(), "elastofreq_moduli", deck);
    EXPECT_TRUE(dir.exists("p_modulus.freq"));
    return r;
}

TEST(SamplingAdvice, GeneratorWarnsOnAWideBandAndNotOnANarrowOne) {
    const ef::test::ProgramResult coarse = run_generator(example_deck("0.05"));
    EXPECT_EQ(coarse.status, 0);
    EXPECT_NE(coarse.err.find("slowest S wave (material 1"), std::string::npos) << coarse.err;
    EXPECT_NE(coarse.err.find("warning: fewer than 10 elements per S wavelength"),
              std::string::npos)
        << coarse.err;

    const ef::test::ProgramResult fine = run_generator(example_deck("0.01"));
    EXPECT_EQ(fine.status, 0);
    EXPECT_NE(fine.err.find("slowest S wave (material 1"), std::string::npos) << fine.err;
    EXPECT_NE(fine.err.find("slowest P wave (material 1"), std::string::npos) << fine.err;
    EXPECT_EQ(fine.err.find("warning"), std::string::npos) << fine.err;
}

TEST(SamplingAdvice, GeneratorWarnsLoudlyOnAModulusTypo) {
    // xmur(1) = 4.116e10 typed one column too far reads as 4.116e1 dyn/cm2:
    // an S velocity of 4.7e-5 m/msec, a millionth of an element per wavelength.
    std::string deck = ef::test::source_file("examples/two_layer/deck.in");
    const std::size_t at = deck.find("4.116e10 xmur(1)");
    deck.insert(deck.rfind('\n', at) + 1, " ");
    const ef::test::ProgramResult typo = run_generator(deck);
    EXPECT_EQ(typo.status, 0);
    EXPECT_NE(typo.err.find("elastofreq_moduli: warning: xmur(1) (record 25), line 32 of standard"
                            " input: the number runs past column 20: \"4.116e1\" is read and"
                            " \"0\" after it is not"),
              std::string::npos)
        << typo.err;
    EXPECT_NE(typo.err.find("elastofreq_moduli: warning: MATERIAL 1 CANNOT BE REPRESENTED: its"
                            " slowest wave, 4.67e-05 m/msec, has"),
              std::string::npos)
        << typo.err;
    EXPECT_EQ(typo.err.find("MATERIAL 2"), std::string::npos) << typo.err;
}

}  // namespace
