// The material files belong to a deck: elastofreq_moduli makes them from it.
// A run that finds one missing, short or unreadable says so, and says how to
// make them, in its error message.
#pragma once

#include "common/run_params.hpp"
#include "common/stop.hpp"
#include "common/units.hpp"
#include "model/material_files.hpp"

namespace ef {

// Opens p_modulus.freq, s_modulus.freq and bulk_density.mat on units 1, 2
// and 7; they must exist.
void open_material_files(Units& units);

// read_material_files, whose run errors (a short file, an unreadable record)
// also name the remedy.
MaterialModuli read_material_files_of_deck(Units& units, const RunParams& p);

}  // namespace ef
