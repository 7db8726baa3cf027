// The misfit of a survey's receiver spectra against observed ones and its
// gradient with respect to the model's parameters, for full-waveform
// inversion: per frequency one factorisation, the shots' forward solves and
// their adjoint solves with the same factors (docs/inversion.md).
#pragma once

#include <vector>

#include "driver/array_model.hpp"
#include "driver/survey_run.hpp"
#include "output/survey_results.hpp"

namespace ef {

struct SurveyMisfit {
    double misfit = 0.0;          // sum over frequencies, in order
    ParameterGradient gradient;   // with respect to P modulus, S modulus, density
};

// No misfit and a zero gradient on a model of `cells` elements.
SurveyMisfit zero_misfit(std::size_t cells);

// Frequency number jw's share: its factorisation, the forward and adjoint
// solves of every shot, the element sums on `threads` threads, and the
// gradient taken to the model's parameters.
SurveyMisfit frequency_misfit_gradient(SurveySolver& solver, const ArraySurveyModel& model, int jw,
                                       const SurveySpectra& observed, double weight, int threads);

// Adds a frequency's share to the sum (of zero_misfit at first). Adding the shares in increasing
// frequency gives the same bits whichever process solved each.
void add_frequency_share(SurveyMisfit& sum, const SurveyMisfit& share);

// misfit = 1/2 sum over shots, receivers, frequencies f and components of
// weights[f] |modelled - observed|^2, observed laid out as the model's survey
// (shots x receivers x frequencies). A frequency of weight 0 is not solved.
// `threads` share the gradient's element sums; the result is the same for
// any number of them.
SurveyMisfit survey_misfit_gradient(ArraySurveyModel& model, const SurveySpectra& observed,
                                    const std::vector<double>& weights, int threads);

}  // namespace ef
