// A vertical force on the free surface of a homogeneous half space: 5 to 10 S
// wavelengths away the surface carries the Rayleigh wave alone (it does not
// spread in two dimensions, the body waves do), and the phase velocity along
// the surface is the Rayleigh velocity of the medium within 0.5 %.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "support/homogeneous_shot.hpp"

namespace {

using ef::Complex;

TEST(SurveyFreeSurface, SurfaceWaveTravelsAtTheRayleighVelocity) {
    const ef::test::ElasticMedium rock{2000.0 * (9e6 - 2.0 * 2.89e6), 2000.0 * 2.89e6, 2000.0};
    const double h = 10.0, per_wavelength = 30.0;
    const double omega = 2.0 * std::numbers::pi * rock.vs() / (per_wavelength * h);
    const int nx = 320, ny = 40, layer = 15;
    const ef::PaddedGrid grid(nx, ny, layer, ef::AbsorbingSides{true, true, true, false});
    const ef::PmlProfile profile(layer, h, rock.vp(), 1e-4);
    const double x0 = 10.0 * h, top = ny * h;
    const ef::WaveField field = ef::test::solve_homogeneous_shot(
        rock, {grid, {profile, profile}}, h, omega, ef::PointSourceTerm::force(*grid.locate(x0, top, h), 0.0, -1.0));

    // unwrapped phase of u2 along the surface, fitted by a straight line
    const double wavelength = per_wavelength * h;
    std::vector<double> at, phase;
    double previous = 0.0, turns = 0.0;
    for (double d = 5.0 * wavelength; d <= 10.0 * wavelength + 1e-9; d += h) {
        const Complex u = ef::test::field_at(field, *grid.locate(x0 + d, top, h), 2);
        double p = std::atan2(u.im, u.re);
        if (!at.empty()) {
            if (p - previous > std::numbers::pi) turns -= 1.0;
            if (p - previous < -std::numbers::pi) turns += 1.0;
        }
        previous = p;
        at.push_back(d);
        phase.push_back(p + 2.0 * std::numbers::pi * turns);
    }
    const double n = static_cast<double>(at.size());
    double sx = 0.0, sy = 0.0, sxx = 0.0, sxy = 0.0;
    for (std::size_t k = 0; k < at.size(); ++k) {
        sx += at[k];
        sy += phase[k];
        sxx += at[k] * at[k];
        sxy += at[k] * phase[k];
    }
    const double slope = (n * sxy - sx * sy) / (n * sxx - sx * sx);  // -k: e^{-ikx} travels outwards
    const double velocity = -omega / slope;
    const double rayleigh = ef::test::rayleigh_velocity(rock.vp(), rock.vs());
    EXPECT_NEAR(velocity / rayleigh, 1.0, 0.005) << velocity << " m/s against " << rayleigh;
}

}  // namespace
