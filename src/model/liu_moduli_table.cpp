#include "model/liu_moduli.hpp"

#include <sstream>

#include "common/constants.hpp"
#include "common/stop.hpp"

namespace ef {

namespace {

// The model is first order in 1/Q: a decrement that is large for the width of
// the relaxation band drives R, and with it the real part of the modulus, to
// zero or below at the top of the band, where the solver would stop on a
// negative inverse quality factor.
Complex checked(Complex modulus, double relaxed, const char* wave, int m, double f) {
    if (modulus.re > 0.0 || !(relaxed > 0.0)) return modulus;
    std::ostringstream msg;
    msg << "material " << m << ": the " << wave << " modulus of the Liu model at " << f
        << " kHz has a real part " << modulus.re
        << " <= 0: the decrement is too large for the relaxation band fq1..fq2;"
           " use a smaller decrement or a narrower band";
    throw RunError(msg.str());
}

}  // namespace

MaterialModuli liu_material_moduli(const RunParams& p, const std::vector<double>& frequency_khz) {
    MaterialModuli moduli(p.nmat, p.jw2);
    for (int m = 1; m <= p.nmat; ++m) {
        moduli.densmat[m] = p.ros[m];
        for (int jw = p.jw2; jw >= p.jw1; --jw) {
            const double f = frequency_khz[jw];
            const double omega = kTwoPi * f;
            moduli.p_modulus(m, jw) = checked(
                liu_modulus(p.xmr[m], p.deltp[m], p.tau1[m], p.tau2[m], omega), p.xmr[m], "P", m, f);
            moduli.s_modulus(m, jw) = checked(
                liu_modulus(p.xmur[m], p.delts[m], p.tau1[m], p.tau2[m], omega), p.xmur[m], "S", m, f);
        }
    }
    return moduli;
}

}  // namespace ef
