// The viscoelastic material tables: scaling to the program's units, the
// velocity and modulus bounds over all materials, and the Liu-model
// quantities of one material.
#pragma once

#include "common/run_params.hpp"

namespace ef {

// Densities in g/cm^3 and moduli in dyn/cm^2 to units whose quotient is a
// squared velocity in (m/msec)^2: ros * 1e6; xkr, xmur, kf, ks * 1e-4.
void scale_materials(RunParams& p);

// Relaxed P and S velocities of material m (scaled tables).
double p_velocity(const RunParams& p, int m);
double s_velocity(const RunParams& p, int m);

// bulmin/bulmax, umin/umax, ppmin/ppmax, ssmin/ssmax over materials 1..nmat,
// and pp1, pp2, ss1, ss2 of materials 1 and 2 when there are at least two.
void material_bounds(RunParams& p);

// xmr, ve, qp, const_, tau1, tau2 of material m from its moduli, deltp, fq1
// and fq2. A material with deltp below 1e-10 has no attenuation: const_ = 0
// and qp is left as it was.
void liu_quantities(RunParams& p, int m);

}  // namespace ef
