#include "output/survey_spectra.hpp"

namespace ef {

SurveySampling survey_sampling(const RunParams& p, const std::vector<double>& frequency_khz) {
    SurveySampling s;
    s.jw1 = p.jw1;
    s.jw2 = p.jw2;
    s.keyqua = p.keyqua;
    s.nt = p.nt;
    s.dt = p.dt;
    s.delw = p.delw;
    for (int jw = p.jw1; jw <= p.jw2; ++jw) {
        s.frequency_khz.push_back(frequency_khz.at(jw));
        s.source_spectrum.push_back(p.sour.at(jw));
    }
    return s;
}

}  // namespace ef
