#include "output/survey_traces.hpp"

#include <algorithm>
#include <cstddef>

#include "common/fourier.hpp"
#include "common/stop.hpp"

namespace ef {

std::vector<double> survey_time_traces(const SurveySpectra& spectra, SurveyComponent component,
                                       const SurveySampling& sampling) {
    const int bands = sampling.frequencies();
    if (spectra.frequencies() != bands)
        throw RunError("the receiver spectra hold " + std::to_string(spectra.frequencies()) +
                       " frequencies where the band has " + std::to_string(bands));
    const std::vector<Complex>& solved = component == SurveyComponent::u1 ? spectra.u1() : spectra.u2();
    const int n = std::max(sampling.jw2, 0);
    const int m = std::max(sampling.nt, 0);
    const std::size_t traces = static_cast<std::size_t>(spectra.shots()) *
                               static_cast<std::size_t>(spectra.receivers());
    // Working spectra W(j) = W[j - 1], j = 1 .. jw2, as the deck programs form them.
    std::vector<Complex> working(static_cast<std::size_t>(n) * traces);
    for (std::size_t r = 0; r < traces; ++r) {
        Complex* w = working.data() + static_cast<std::size_t>(n) * r;
        for (int f = 0; f < bands; ++f)
            if (sampling.jw1 + f >= 1)
                w[sampling.jw1 + f - 1] = solved[r * static_cast<std::size_t>(bands) + f];
        if (sampling.keyqua == 1 && n >= 1) w[0] = n >= 2 ? w[1] : Complex{};
    }
    std::vector<double> series(static_cast<std::size_t>(m) * traces);
    finvu_many(sampling.keyqua == 1 ? kStandardShift : kMidPointShift, working, n, series, m,
               static_cast<int>(traces), sampling.dt, sampling.delw);
    return series;
}

}  // namespace ef
