#include "model/liu_moduli.hpp"

#include <cmath>
#include <sstream>

#include "common/constants.hpp"
#include "common/stop.hpp"

namespace ef {

bool attenuates(double decrement) { return !(decrement < kLiuElasticDecrement); }

Complex liu_modulus(double relaxed, double decrement, double tau1, double tau2, double omega) {
    if (!attenuates(decrement)) return {relaxed, 0.0};
    const double q = kPi / decrement;
    const double w2 = omega * omega;
    const double dispersion =
        std::log((1.0 + w2 * (tau1 * tau1)) / (1.0 + w2 * (tau2 * tau2)));
    const double r = 1.0 - (1.0 / (kPi * q)) * dispersion;
    const double t =
        (2.0 / (kPi * q)) * std::atan(omega * (tau1 - tau2) / (1.0 + w2 * (tau1 * tau2)));
    return Complex{relaxed, 0.0} / Complex{r, -t};
}

void check_liu_band(const RunParams& p) {
    for (int m = 1; m <= p.nmat; ++m) {
        if (!attenuates(p.deltp[m]) && !attenuates(p.delts[m])) continue;
        const double fq1 = p.fq1[m], fq2 = p.fq2[m];
        if (fq1 > 0.0 && fq2 > fq1 && std::isfinite(fq2)) continue;
        std::ostringstream msg;
        msg << "material " << m << " attenuates (deltp = " << p.deltp[m]
            << ", delts = " << p.delts[m] << ") but its Liu-model frequencies fq1 = " << fq1
            << " kHz, fq2 = " << fq2
            << " kHz do not bound a relaxation band: it needs 0 < fq1 < fq2";
        throw RunError(msg.str());
    }
}

}  // namespace ef
