#include "model/materials.hpp"

#include <cmath>

#include "common/constants.hpp"

namespace ef {

void scale_materials(RunParams& p) {
    for (int m = 1; m <= p.nmat; ++m) {
        p.ros[m] = p.ros[m] * 1e6;
        p.xkr[m] = p.xkr[m] * 1e-4;
        p.xmur[m] = p.xmur[m] * 1e-4;
        p.kf[m] = p.kf[m] * 1e-4;
        p.ks[m] = p.ks[m] * 1e-4;
    }
}

double p_velocity(const RunParams& p, int m) {
    return std::sqrt((p.xmur[m] * 4.0 / 3.0 + p.xkr[m]) / p.ros[m]);
}

double s_velocity(const RunParams& p, int m) { return std::sqrt(p.xmur[m] / p.ros[m]); }

void material_bounds(RunParams& p) {
    p.bulmin = p.bulmax = p.xkr[1];
    p.umin = p.umax = p.xmur[1];
    p.ppmin = p.ppmax = p_velocity(p, 1);
    p.ssmin = p.ssmax = s_velocity(p, 1);
    if (p.nmat < 2) return;
    p.pp1 = p_velocity(p, 1);
    p.ss1 = s_velocity(p, 1);
    p.pp2 = p_velocity(p, 2);
    p.ss2 = s_velocity(p, 2);
    const auto lower = [](double& bound, double v) { if (v < bound) bound = v; };
    const auto raise = [](double& bound, double v) { if (v > bound) bound = v; };
    for (int m = 2; m <= p.nmat; ++m) {
        lower(p.bulmin, p.xkr[m]);
        raise(p.bulmax, p.xkr[m]);
        lower(p.umin, p.xmur[m]);
        raise(p.umax, p.xmur[m]);
        const double vp = p_velocity(p, m);
        lower(p.ppmin, vp);
        raise(p.ppmax, vp);
        const double vs = s_velocity(p, m);
        lower(p.ssmin, vs);
        raise(p.ssmax, vs);
    }
}

void liu_quantities(RunParams& p, int m) {
    p.xmr[m] = p.xmur[m] * 4.0 / 3.0 + p.xkr[m];
    p.ve[m] = std::sqrt(p.xmr[m] / p.ros[m]);
    if (p.deltp[m] < 1e-10) {
        p.const_[m] = 0.0;
    } else {
        p.qp[m] = kPi / p.deltp[m];
        p.const_[m] = 2.0 / (p.qp[m] * kPi);
    }
    p.tau1[m] = 1.0 / (kTwoPi * p.fq1[m]);
    p.tau2[m] = 1.0 / (kTwoPi * p.fq2[m]);
}

}  // namespace ef
