// Frequency-dependent complex moduli of a nearly-constant-Q solid after Liu,
// Anderson and Kanamori (1976): a continuous band of relaxation mechanisms
// between the relaxation times tau2 < tau1 gives an inverse quality factor that
// is almost flat, close to 1/Q, for angular frequencies between 1/tau1 and
// 1/tau2, and a modulus that grows logarithmically with frequency there.
//
//   M(omega) = M_R / (R - i T)
//   R = 1 - (1 / (pi Q)) ln((1 + omega^2 tau1^2) / (1 + omega^2 tau2^2))
//   T = (2 / (pi Q)) arctan(omega (tau1 - tau2) / (1 + omega^2 tau1 tau2))
//
// with M_R the relaxed modulus, Q = pi / decrement. With T >= 0 the imaginary
// part of M is non-negative: the material absorbs energy and does not create
// it. A material whose decrement is below 1e-10 is purely elastic, M = M_R.
//
// Units as everywhere in the program: omega in rad/msec, tau in msec,
// frequencies in kHz, moduli in the scaled units of the deck reader.
#pragma once

#include <vector>

#include "common/complex.hpp"
#include "common/run_params.hpp"
#include "model/material_files.hpp"

namespace ef {

// Decrements below this describe a purely elastic material.
inline constexpr double kLiuElasticDecrement = 1e-10;

// True when a logarithmic decrement makes the material attenuating.
bool attenuates(double decrement);

// Complex modulus at angular frequency omega of a material with relaxed
// modulus `relaxed`, logarithmic decrement `decrement` and relaxation times
// tau1 > tau2 (msec). The relaxation times are not used when the material is
// elastic.
Complex liu_modulus(double relaxed, double decrement, double tau1, double tau2, double omega);

// Rejects (RunError) a deck whose attenuating materials (deltp or delts not
// below 1e-10) do not have 0 < fq1 < fq2: the relaxation band would be empty
// or reversed and the modulus would gain a negative imaginary part, which the
// solver stops on.
void check_liu_band(const RunParams& p);

// The moduli of every material of the deck at the frequency numbers jw2 down
// to jw1: P from the relaxed plane-wave modulus xmr and deltp, S from the
// relaxed shear modulus xmur and delts, both with the relaxation times tau1,
// tau2 of the deck reader; the density of each material is its scaled ros.
// frequency_khz[jw] is the frequency of number jw (index 0 unused).
MaterialModuli liu_material_moduli(const RunParams& p, const std::vector<double>& frequency_khz);

}  // namespace ef
