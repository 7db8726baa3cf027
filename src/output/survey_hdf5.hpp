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

#include "model/survey_file.hpp"
#include "output/survey_results.hpp"

namespace ef {

// Writes `file` (created or replaced). Throws RunError when the HDF5 library
// fails; the caller removes the file then (output/pending_file).
void write_survey_hdf5(const std::filesystem::path& file, const Survey& survey,
                       const SurveySampling& sampling, const SurveySpectra& spectra);

}  // namespace ef
