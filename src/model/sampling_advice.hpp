// How well the grid samples the waves of a run: the fewest elements per
// wavelength (G = wavelength / h) over the band, found for the slowest S and
// the slowest P wave of the materials the grid uses at the highest frequency
// of the band, and the phase-velocity error the measured dispersion table
// predicts there.
#pragma once

#include <string>
#include <vector>

#include "common/run_params.hpp"
#include "model/dispersion_table.hpp"
#include "model/material_files.hpp"

namespace ef {

// S waves with fewer elements per wavelength than this get a warning.
inline constexpr double kAdvisedPointsPerWavelength = 10.0;

struct WaveSampling {
    int material = 0;       // material of the slowest wave
    double velocity = 0.0;  // its phase velocity at the top frequency (m/msec)
    double g = 0.0;         // elements per wavelength there
    double error = 0.0;     // predicted relative phase-velocity error
};

// Below this many elements per wavelength the grid cannot represent a wave at
// all: such a material is almost always a typo in its records (a modulus read
// as 7.896e1 for 7.896e10), not a rock.
inline constexpr double kFewestPointsPerWavelength = 2.0;

struct SamplingAdvice {
    double top_frequency = 0.0;  // kHz
    double h = 0.0;              // m
    WaveSampling s, p;
    // Every material in use whose slowest wave (S, or P when it has no S
    // wave) has fewer than kFewestPointsPerWavelength elements per wavelength.
    std::vector<WaveSampling> unrepresented;
};

// For a band that is not empty (jw2 >= jw1). frequency_khz[jw] is the
// frequency of number jw.
SamplingAdvice sampling_advice(const RunParams& p, const MaterialModuli& moduli,
                               const std::vector<double>& frequency_khz);

// The report lines (each ending in '\n'): one per wave type, the warning
// when S has fewer than kAdvisedPointsPerWavelength elements per wavelength,
// and one warning per material the grid cannot represent.
std::string sampling_report(const SamplingAdvice& advice);

}  // namespace ef
