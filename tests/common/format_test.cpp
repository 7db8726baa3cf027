// Edit formats beyond the golden vectors: parsing faults, item kinds, and
// inputs the readers must survive (random bytes never crash or read outside
// the field).
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <stdexcept>
#include <string>

#include "common/format.hpp"
#include "common/stop.hpp"

namespace {

TEST(Format, MalformedFormatsAreRejectedWhenParsed) {
    for (const char* bad : {"i5", "(i5", "(q5)", "(e20)", "(e20.)", "('abc)", "(0i5)", "(i5))",
                            "(2(i5)", "(i)"})
        EXPECT_THROW(ef::Format{bad}, std::invalid_argument) << bad;
}

TEST(Format, ItemOfTheWrongKindIsARunError) {
    const ef::Format f("(i5,e20.8)");
    EXPECT_THROW(f.apply({1.5, 2.0}), ef::RunError);
    EXPECT_THROW(f.apply({1, 2}), ef::RunError);
    EXPECT_THROW(ef::Format("('text only')").apply({1}), ef::RunError);
}

TEST(Format, CopiesApplyAlike) {
    const ef::Format a("(1x,'a = ',e12.5,2(1x,i3))");
    const ef::Format b = a;
    ef::Format c("(i1)");
    c = b;
    EXPECT_EQ(c.apply({0.5, 1, 2}), a.apply({0.5, 1, 2}));
    EXPECT_EQ(a.apply({0.5, 1, 2}), " a =  0.50000E+00   1   2\n");
    std::string out = "x";
    a.append(out, std::initializer_list<ef::Item>{0.5, 1, 2});
    EXPECT_EQ(out, "x a =  0.50000E+00   1   2\n");
}

TEST(Format, UppercaseBlanksAndDoubledQuotes) {
    EXPECT_EQ(ef::Format("( 1X , I5 , 2X, E12.4 , 'it''s' )").apply({5, 0.5}),
              "     5    0.5000E+00it's\n");
}

TEST(Format, ReversionWithoutDataInTheLastGroupRestartsFromTheBeginning) {
    EXPECT_EQ(ef::Format("(i2,('x'))").apply({1, 2}), " 1x\n 2x\n");
}

TEST(Readers, ImpliedDecimalsAndExponents) {
    EXPECT_EQ(ef::read_real_field("5", 8, "x"), 5.0e-8);
    EXPECT_EQ(ef::read_real_field("5.", 8, "x"), 5.0);
    EXPECT_EQ(ef::read_real_field("    ", 8, "x"), 0.0);
    EXPECT_EQ(ef::read_real_field("1 5", 8, "x"), 15.0e-8);
    EXPECT_EQ(ef::read_real_field("25-1", 1, "x"), 0.25);
    EXPECT_EQ(ef::read_real_field("0.15000000+101", 8, "x"), 1.5e100);
    EXPECT_EQ(ef::read_int_field("  -12", "n"), -12);
    EXPECT_EQ(ef::read_list_real(" 3*2.5d-1, 7", "x"), 0.25);
    EXPECT_EQ(ef::read_list_real(" , 7", "x", 4.0), 4.0);
    EXPECT_THROW(ef::read_list_real("   ", "x"), ef::RunError);
    EXPECT_THROW(ef::read_int_field(" 1.0", "n"), ef::RunError);
}

TEST(Readers, ArbitraryBytesEndInAValueOrARunError) {
    std::mt19937 rng(7);
    const std::string alphabet = " 0123456789+-.,/*;eEdDqQinfatyINFATY()\t\r\n\0\x7f\xff";
    for (int k = 0; k < 20000; ++k) {
        std::string s(rng() % 24, ' ');
        for (char& c : s) c = alphabet[rng() % alphabet.size()];
        try {
            (void)ef::read_int_field(s, "n");
        } catch (const ef::RunError&) {
        }
        try {
            (void)ef::read_real_field(s, static_cast<int>(rng() % 13), "x");
        } catch (const ef::RunError&) {
        }
        try {
            (void)ef::read_list_real(s, "x", 1.0);
        } catch (const ef::RunError&) {
        }
    }
}

}  // namespace
