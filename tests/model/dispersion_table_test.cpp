// The measured dispersion table and its interpolation: the nodes are returned
// as measured, points between them follow the straight line in log-log axes,
// and past the ends the prediction neither invents a better nor a worse
// element than the measurement says.
#include <gtest/gtest.h>

#include <cmath>

#include "model/dispersion_table.hpp"

namespace {

using ef::WaveType;

TEST(DispersionTable, MeasuredPointsDecreaseAsSecondOrder) {
    for (const WaveType wave : {WaveType::s, WaveType::p}) {
        const auto table = ef::dispersion_table(wave);
        ASSERT_GE(table.size(), 8u);
        EXPECT_LE(table.front().g, 4.0);
        EXPECT_GE(table.back().g, 40.0);
        for (std::size_t k = 1; k < table.size(); ++k) {
            EXPECT_GT(table[k].g, table[k - 1].g);
            EXPECT_LT(table[k].error, table[k - 1].error);
            EXPECT_GT(table[k].error, 0.0);  // the numerical waves are too fast
            if (table[k - 1].g >= 8.0) {
                // Second order: the local slope of log error against log G is -2.
                const double slope = std::log(table[k].error / table[k - 1].error) /
                                     std::log(table[k].g / table[k - 1].g);
                EXPECT_NEAR(slope, -2.0, 0.1) << table[k].g;
            }
        }
    }
}

TEST(DispersionTable, PredictionInterpolatesTheTableInLogLogAxes) {
    for (const WaveType wave : {WaveType::s, WaveType::p}) {
        const auto table = ef::dispersion_table(wave);
        for (std::size_t k = 0; k < table.size(); ++k) {
            EXPECT_DOUBLE_EQ(ef::predicted_phase_velocity_error(wave, table[k].g),
                             table[k].error);
            if (k + 1 == table.size()) continue;
            // At the geometric mean of two nodes: the geometric mean of their errors.
            const double g = std::sqrt(table[k].g * table[k + 1].g);
            EXPECT_NEAR(ef::predicted_phase_velocity_error(wave, g),
                        std::sqrt(table[k].error * table[k + 1].error), 1e-12);
            // A quarter of the way in log G: a quarter of the way in log error.
            const double g4 = table[k].g * std::pow(table[k + 1].g / table[k].g, 0.25);
            EXPECT_NEAR(std::log(ef::predicted_phase_velocity_error(wave, g4)),
                        0.75 * std::log(table[k].error) + 0.25 * std::log(table[k + 1].error),
                        1e-12);
        }
    }
}

TEST(DispersionTable, BeyondTheTableSecondOrderAboveAndTheCoarsestValueBelow) {
    for (const WaveType wave : {WaveType::s, WaveType::p}) {
        const auto table = ef::dispersion_table(wave);
        const auto last = table.back();
        EXPECT_NEAR(ef::predicted_phase_velocity_error(wave, 2.0 * last.g), last.error / 4.0,
                    1e-15);
        EXPECT_NEAR(ef::predicted_phase_velocity_error(wave, 10.0 * last.g), last.error / 100.0,
                    1e-15);
        EXPECT_EQ(ef::smallest_tabulated_g(wave), table.front().g);
        EXPECT_EQ(ef::predicted_phase_velocity_error(wave, 0.5 * table.front().g),
                  table.front().error);
        EXPECT_EQ(ef::predicted_phase_velocity_error(wave, 0.0), table.front().error);
    }
}

TEST(DispersionTable, TenElementsPerWavelengthGiveAboutOnePercent) {
    // The figures docs/accuracy.md quotes.
    EXPECT_NEAR(ef::predicted_phase_velocity_error(WaveType::s, 10.0), 0.0138, 0.0002);
    EXPECT_NEAR(ef::predicted_phase_velocity_error(WaveType::p, 10.0), 0.0093, 0.0002);
}

}  // namespace
