#include "model/sampling_advice.hpp"

#include <cmath>
#include <cstdio>
#include <set>

#include "common/complex.hpp"

namespace ef {

namespace {

// Phase velocity 1 / Re(1 / c) of the complex velocity c = sqrt(M / rho).
double phase_velocity(Complex modulus, double density) {
    return 1.0 / re_inv(sqrt(modulus / density));
}

// The materials of the global grid's elements (the ring repeats them).
std::set<int> materials_in_use(const RunParams& p) {
    std::set<int> used;
    for (int jg = 1; jg <= p.ngy; ++jg)
        for (int ig = 1; ig <= p.ngx; ++ig) used.insert(p.matnum(ig, jg));
    return used;
}

WaveSampling slowest(WaveType wave, const RunParams& p, const MaterialModuli& moduli,
                     const std::set<int>& materials, double f) {
    WaveSampling w;
    bool first = true;
    for (const int m : materials) {
        if (m < 1 || m > p.nmat) continue;
        const Complex modulus = wave == WaveType::s ? moduli.s_modulus(m, p.jw2)
                                                    : moduli.p_modulus(m, p.jw2);
        const double v = phase_velocity(modulus, moduli.densmat[m]);
        if (first || v < w.velocity) {
            w.material = m;
            w.velocity = v;
            first = false;
        }
    }
    w.g = w.velocity / (f * p.h);
    w.error = predicted_phase_velocity_error(wave, w.g);
    return w;
}

// The materials in use whose slowest wave the grid cannot represent. A
// material without shear strength (S velocity zero or not finite) is judged
// by its P wave.
std::vector<WaveSampling> unrepresented(const RunParams& p, const MaterialModuli& moduli,
                                        const std::set<int>& materials, double f) {
    std::vector<WaveSampling> found;
    for (const int m : materials) {
        if (m < 1 || m > p.nmat) continue;
        const double vs = phase_velocity(moduli.s_modulus(m, p.jw2), moduli.densmat[m]);
        const double vp = phase_velocity(moduli.p_modulus(m, p.jw2), moduli.densmat[m]);
        const bool has_s = vs > 0.0 && std::isfinite(vs);
        WaveSampling w;
        w.material = m;
        w.velocity = has_s && !(vp < vs) ? vs : vp;
        w.g = w.velocity / (f * p.h);
        if (w.g < kFewestPointsPerWavelength) found.push_back(w);
    }
    return found;
}

std::string line(const char* name, const WaveSampling& w, WaveType wave) {
    char text[320];
    const bool below = w.g < smallest_tabulated_g(wave);
    std::snprintf(text, sizeof text,
                  "elastofreq_moduli: slowest %s wave (material %d, %.5g m/msec): %.3g elements"
                  " per wavelength, phase velocity %s%.2g %% too fast\n",
                  name, w.material, w.velocity, w.g, below ? "more than " : "",
                  100.0 * w.error);
    return text;
}

}  // namespace

SamplingAdvice sampling_advice(const RunParams& p, const MaterialModuli& moduli,
                               const std::vector<double>& frequency_khz) {
    SamplingAdvice a;
    a.top_frequency = frequency_khz[p.jw2];
    a.h = p.h;
    const std::set<int> materials = materials_in_use(p);
    a.s = slowest(WaveType::s, p, moduli, materials, a.top_frequency);
    a.p = slowest(WaveType::p, p, moduli, materials, a.top_frequency);
    a.unrepresented = unrepresented(p, moduli, materials, a.top_frequency);
    return a;
}

std::string sampling_report(const SamplingAdvice& a) {
    char head[200];
    std::snprintf(head, sizeof head,
                  "elastofreq_moduli: sampling at the top of the band, %.5g kHz, with h = %.5g m:\n",
                  a.top_frequency, a.h);
    std::string text = head;
    text += line("S", a.s, WaveType::s);
    text += line("P", a.p, WaveType::p);
    if (a.s.g < kAdvisedPointsPerWavelength) {
        char warn[320];
        std::snprintf(warn, sizeof warn,
                      "elastofreq_moduli: warning: fewer than %.0f elements per S wavelength;"
                      " for %.0f use h <= %.4g m or a band up to %.4g kHz\n",
                      kAdvisedPointsPerWavelength, kAdvisedPointsPerWavelength,
                      a.s.velocity / (kAdvisedPointsPerWavelength * a.top_frequency),
                      a.s.velocity / (kAdvisedPointsPerWavelength * a.h));
        text += warn;
    }
    for (const WaveSampling& w : a.unrepresented) {
        char warn[480];
        std::snprintf(warn, sizeof warn,
                      "elastofreq_moduli: warning: MATERIAL %d CANNOT BE REPRESENTED: its slowest"
                      " wave, %.3g m/msec, has %.3g elements per wavelength at %.5g kHz, fewer"
                      " than %.0f; check its records in the deck (ros, xkr, xmur, records 23 to"
                      " 25): a velocity like this is a typo, not a rock\n",
                      w.material, w.velocity, w.g, a.top_frequency, kFewestPointsPerWavelength);
        text += warn;
    }
    return text;
}

}  // namespace ef
