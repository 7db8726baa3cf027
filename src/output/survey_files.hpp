// Every output file of a survey, all or none: NAME_vx.sgy (u1) and NAME_vz.sgy
// (u2), the time traces, and NAME_spectra.h5, the receiver spectra, NAME the
// survey's output name. Each is written under a temporary name next to its
// final one; only when all three are complete are they renamed.
#pragma once

#include <filesystem>
#include <vector>

#include "model/survey_file.hpp"
#include "output/survey_results.hpp"

namespace ef {

// Writes the files into `folder`; returns their paths. Throws RunError, after
// removing whatever it wrote, when any of them fails.
std::vector<std::filesystem::path> write_survey_files(const std::filesystem::path& folder,
                                                      const Survey& survey,
                                                      const SurveySampling& sampling,
                                                      const SurveySpectra& spectra);

}  // namespace ef
