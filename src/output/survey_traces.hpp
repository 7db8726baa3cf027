// The time traces of a survey, from its receiver spectra with the same inverse
// sum as the deck-driven programs' traces (output/receivers): frequency numbers
// 1 .. jw2, zero below the solved band, and with the standard sampling the
// zero frequency (number 1) given the value of number 2.
#pragma once

#include <vector>

#include "output/survey_results.hpp"

namespace ef {

enum class SurveyComponent { u1, u2 };

// nt samples per trace, traces by [shot][receiver]. The same bits for any
// thread count. Throws RunError when the spectra do not cover the sampling's band.
std::vector<double> survey_time_traces(const SurveySpectra& spectra, SurveyComponent component,
                                       const SurveySampling& sampling);

}  // namespace ef
