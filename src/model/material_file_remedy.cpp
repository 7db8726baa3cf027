#include "model/material_file_remedy.hpp"

#include <string>

namespace ef {

namespace {

[[noreturn]] void with_remedy(const RunError& e) {
    throw RunError(std::string(e.what()) +
                   "; the material files p_modulus.freq, s_modulus.freq and bulk_density.mat"
                   " are made from the deck by the program elastofreq_moduli: run"
                   " \"elastofreq_moduli < deck\" in this directory with the same deck first");
}

}  // namespace

void open_material_files(Units& units) {
    try {
        units.open(1, "p_modulus.freq", FileStatus::old_file);
        units.open(2, "s_modulus.freq", FileStatus::old_file);
        units.open(7, "bulk_density.mat", FileStatus::old_file);
    } catch (const RunError& e) {
        with_remedy(e);
    }
}

MaterialModuli read_material_files_of_deck(Units& units, const RunParams& p) {
    try {
        return read_material_files(units, p);
    } catch (const RunError& e) {
        with_remedy(e);
    }
}

}  // namespace ef
