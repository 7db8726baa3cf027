// The deck a survey file names, read with the solvers' own deck reader but
// silently (driver/quiet_deck): the model, materials, sampling, wavelet and
// band of elastofreq_survey. Its source and receiver records are read and
// checked as for any run but not used; the survey's shots and receivers
// replace them.
#pragma once

#include <string>

#include "common/run_params.hpp"
#include "model/survey_file.hpp"
#include "output/survey_results.hpp"

namespace ef {

// The deck's run parameters. Every way the deck reader can end (a fault in
// the deck, a numeric stop, a plain stop) becomes a RunError naming the survey
// file, the line of its deck key and the deck file; the shots and receivers are
// then checked against the model (check_survey_positions).
RunParams read_survey_deck(const Survey& survey, const BuildLimits& limits);

// The deck's band, sampling and source spectrum as the survey's outputs take them.
SurveySampling survey_sampling(const RunParams& p);

// What a numeric stop of the deck reader means, in words ("" for a code the
// deck reader does not use).
std::string deck_stop_meaning(int code);

}  // namespace ef
