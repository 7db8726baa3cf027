// The measured numerical dispersion of the element: the relative error of the
// phase velocity of a plane wave travelling along a grid axis, against the
// number of elements per wavelength G = wavelength / h. The numerical waves
// are too fast; the error falls as 1 / G^2 (a second-order scheme). Measured
// on the solver by tools/dispersion (docs/accuracy.md) for a Poisson solid.
#pragma once

#include <span>

namespace ef {

enum class WaveType { p, s };

struct DispersionPoint {
    double g;      // elements per wavelength
    double error;  // relative phase-velocity error (positive: too fast)
};

// The measured table of one wave type, by increasing G.
std::span<const DispersionPoint> dispersion_table(WaveType wave);

// The error the table predicts at G: linear interpolation of log(error)
// against log(G) between the measured points; beyond the largest G the
// second-order law error * (G_last / G)^2; below the smallest G the error of
// the smallest G (the scheme is worse there; the table does not say how
// much).
double predicted_phase_velocity_error(WaveType wave, double g);

// Smallest G in the table: below it the prediction is only a lower bound.
double smallest_tabulated_g(WaveType wave);

}  // namespace ef
