// The receiver spectra of a survey as an HDF5 file (C library), laid out so
// that h5py reads each dataset in one call, complex values as complex128:
//
//   u1, u2            complex [shot][receiver][frequency]  solved displacement
//   frequency_khz     float64 [frequency]
//   frequency_number  int32   [frequency]   the deck's frequency numbers
//   source_spectrum   complex [frequency]   the deck's filtered source spectrum
//   shot_x, shot_y    float64 [shot]        m
//   shot_kind         fixed-length ASCII [shot]  force_x, force_y, explosion, moment
//   shot_amplitude, shot_mxx, shot_myy, shot_mxy  float64 [shot]
//   receiver_x, receiver_y  float64 [receiver]  m
//
// Complex values are the compound {r: float64, i: float64}. Attributes of the
// root say what the axes, units and time convention are, and record the
// survey's boundaries and sampling.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "model/survey_file.hpp"
#include "output/survey_results.hpp"

namespace ef {

// Writes `file` (created or replaced). Throws RunError when the HDF5 library
// fails; the caller removes the file then (output/pending_file).
void write_survey_hdf5(const std::filesystem::path& file, const Survey& survey,
                       const SurveySampling& sampling, const SurveySpectra& spectra);

// Receiver spectra in this layout (elastofreq_survey's file, or field data
// written in it) as the observed data of the survey `survey` at the
// frequencies `frequency_khz`: u1 and u2 must be [shot][receiver][frequency]
// of its sizes, frequency_khz the same frequencies, and shot_x/y and
// receiver_x/y, when the file has them, the same positions (to 1e-6 m).
// Throws RunError naming the file, the dataset and what is wrong.
SurveySpectra read_survey_spectra(const std::filesystem::path& file, const Survey& survey,
                                  const std::vector<double>& frequency_khz);

// A misfit's gradient on the model's grid, as elastofreq_gradient writes it.
struct GradientFile {
    int nx = 0, ny = 0;
    double h = 0.0;
    double misfit = 0.0;
    std::vector<double> p_modulus, s_modulus, density;  // [ny][nx], row 0 at the bottom
    std::vector<double> frequency_khz, weights, frequency_misfit;  // per frequency
    std::string observed;  // the observed data's file
};

// Writes `file` (created or replaced); throws RunError when HDF5 fails.
void write_gradient_hdf5(const std::filesystem::path& file, const Survey& survey,
                         const GradientFile& gradient);

}  // namespace ef
