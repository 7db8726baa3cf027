// The layer's profile: a plane wave that crosses the piecewise-constant layer
// and comes back has lost the target reflection coefficient, and the sign of
// the stretching makes it decay, not grow.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>

#include "solver/pml_profile.hpp"

namespace {

TEST(PmlProfile, RoundTripThroughTheLayerIsTheTargetReflection) {
    const double h = 5.0, vp = 2500.0, omega = 2 * M_PI * 12.0;
    for (const double target : {1e-3, 1e-5}) {
        const ef::PmlProfile layer(20, h, vp, target);
        EXPECT_EQ(layer.damping(0), 0.0);
        // e^{i(omega t - k x)} travelling in x~ = sum of s h: there and back
        std::complex<double> phase{0.0, 0.0};
        for (int n = 1; n <= layer.elements(); ++n) {
            const ef::Complex s = layer.stretch(n, omega);
            phase += std::complex<double>{0.0, -omega / vp} * std::complex<double>{s.re, s.im} * h;
        }
        const double round_trip = std::abs(std::exp(2.0 * phase));
        // the midpoint values of (depth / L)^2 sum to (1 - 1 / (4 N^2)) / 3 of the layer
        EXPECT_NEAR(std::log(round_trip) / std::log(target), 1.0 - 1.0 / 1600.0, 1e-12);
    }
}

}  // namespace
