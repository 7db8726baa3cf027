#include "model/sampling.hpp"

#include "common/constants.hpp"
#include "model/int_trunc.hpp"

namespace ef {

void source_frequency(RunParams& p) {
    p.w0 = kTwoPi * p.freq;
    p.alfa = p.w0 * 0.79 / kPi;
}

void time_step(RunParams& p) {
    p.dt = (p.h / p.ppmax) * 0.1;
    p.nt = int_trunc_count(p.stime / p.dt);
}

void mute_samples(RunParams& p) { p.ntmute = p.tmute > 0.0 ? int_trunc(p.tmute / p.dt) : 0; }

void frequency_step(RunParams& p) {
    p.fnyquist = 1.0 / (p.dt + p.dt);
    p.delf = p.f4 / p.npf;
    p.delw = p.delf * kTwoPi;
}

void band_indices(RunParams& p) {
    p.if1 = int_trunc(p.f1 / p.delf + 1.0);
    p.if2 = int_trunc(p.f2 / p.delf + 1.0);
    p.if3 = int_trunc(p.f3 / p.delf + 1.0);
    p.if4 = int_trunc(p.f4 / p.delf + 1.0);
    if (p.if4 == 1) {
        p.f4 = p.fnyquist;
        p.f3 = 0.9 * p.fnyquist;
        p.if3 = int_trunc(p.f3 / p.delf + 1.0);
        p.if4 = int_trunc(p.f4 / p.delf + 1.0);
    }
    if (p.if3 == p.if4) p.if3 = p.if4 - 1;
    p.jwsnap.assign(static_cast<std::size_t>(p.nsnapf > 0 ? p.nsnapf : 0) + 1, 0);
    for (int j = 1; j <= p.nsnapf; ++j) p.jwsnap[j] = int_trunc(p.fsnap[j] / p.delf + 1.0);
    p.itsnap.assign(static_cast<std::size_t>(p.nsnapt > 0 ? p.nsnapt : 0) + 1, 0);
    for (int j = 1; j <= p.nsnapt; ++j) p.itsnap[j] = int_trunc(p.tsnap[j] / p.dt);
}

void band_limits(RunParams& p) {
    if (p.keyqua == 1) p.jw1 = 2;
    if (p.keyqua == 2) p.jw1 = 1;
    p.jw2 = int_trunc(p.f4 / p.delf);
    p.jwlow = int_trunc(p.jw2 * p.perclow);
}

double frequency_of(int jw, const RunParams& p) {
    if (p.keyqua == 1) return (jw - 1) * p.delf;
    return ((jw - 1) + 0.5) * p.delf;
}

double angular_frequency(double fjw) { return fjw * kTwoPi; }

}  // namespace ef
