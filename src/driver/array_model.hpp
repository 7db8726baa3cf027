// A survey's model given as arrays rather than a deck and material files:
// the Python module's model. Per element (row-major, row 0 at the model's
// bottom) the density, the complex P and S moduli (one set for every
// frequency, or one per frequency) and the elastic P and S velocities that
// the absorbing boundary and the perfectly matched layer use. Units are the
// deck's: metres, kHz, velocities in m/ms, moduli = density x velocity^2.
#pragma once

#include <vector>

#include "driver/survey_run.hpp"

namespace ef {

struct ArrayModel {
    int nx = 0, ny = 0;
    double h = 0.0;                             // element side, m
    std::vector<double> density, vp, vs;        // ny * nx
    int moduli_sets = 1;                        // 1, or one per frequency
    std::vector<Complex> p_modulus, s_modulus;  // moduli_sets * ny * nx
};

// Frequencies k * step_khz for k = 1 .. count (a deck's standard sampling),
// or (k - 1/2) * step_khz with `midpoint` (its mid-point sampling), with the
// source's spectrum at each.
struct FrequencyBand {
    double step_khz = 0.0;
    int count = 0;
    bool midpoint = false;
    std::vector<Complex> source_spectrum;
};

// A derivative with respect to the real parts of each element's P modulus,
// S modulus and density (ny * nx each, ordered as ArrayModel's arrays).
struct ParameterGradient {
    std::vector<double> p_modulus, s_modulus, density;
};

// A survey file's model (its deck and material files) as arrays, and its
// band: an ArraySurveyModel of these solves what elastofreq_survey solves, to
// the bit. Throws RunError when the deck's band does not start at its first
// frequency (arrays always do).
ArrayModel array_model_of(const SurveyModel& model);
FrequencyBand band_of(const SurveyModel& model);

class ArraySurveyModel : public SurveyModel {
public:
    // `survey` gives shots, receivers and boundaries; its deck is not read.
    ArraySurveyModel(Survey survey, ArrayModel model, const FrequencyBand& band);
    ElementFields element_fields(int jw) override;

    const ArrayModel& arrays() const { return model_; }

    // Adds to `out` the gradient g of frequency jw's element properties (as
    // element_fields gives them) taken to the model's parameters. A real
    // shift of the P modulus moves every set of complex moduli and the
    // elastic modulus density vp^2 alike, so the border velocity vp =
    // sqrt(that modulus / density) moves with it and with the density; the
    // same for the S modulus and vs. lambda = P - 2 S.
    void add_parameter_gradient(const FieldGradient& g, ParameterGradient& out) const;

private:
    ArrayModel model_;
};

}  // namespace ef
