// Writing the three material files in the layout read_material_files reads:
//
//   p_modulus.freq (unit 1), s_modulus.freq (unit 2), per material m = 1..nmat:
//     "(i5)"      the material number m
//     "(3e20.12)" one record per frequency number jw = jw2, jw2 - 1, ..., jw1:
//                 frequency (kHz), real part, imaginary part of the modulus
//   bulk_density.mat (unit 7), per material:
//     "(i5)"      the material number m
//     "(e20.12)"  the density
#pragma once

#include <vector>

#include "common/units.hpp"
#include "model/material_files.hpp"

namespace ef {

// Units 1, 2 and 7 must be open for writing. frequency_khz[jw] is the
// frequency of number jw (index 0 unused); nothing is written for it when
// jw2 < jw1 but the material headers and densities.
void write_material_files(Units& units, const MaterialModuli& moduli, int nmat, int jw1, int jw2,
                          const std::vector<double>& frequency_khz);

}  // namespace ef
