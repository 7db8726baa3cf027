#include "model/material_file_writer.hpp"

namespace ef {

void write_material_files(Units& units, const MaterialModuli& moduli, int nmat, int jw1, int jw2,
                          const std::vector<double>& frequency_khz) {
    static const Format number("(i5)");
    static const Format modulus("(3e20.12)");
    static const Format density("(e20.12)");
    constexpr int p_unit = 1, s_unit = 2, density_unit = 7;
    for (int m = 1; m <= nmat; ++m) {
        units.write(p_unit, number, {m});
        units.write(s_unit, number, {m});
        units.write(density_unit, number, {m});
        units.write(density_unit, density, {moduli.densmat[m]});
        for (int jw = jw2; jw >= jw1; --jw) {
            const Complex pm = moduli.p_modulus(m, jw);
            const Complex sm = moduli.s_modulus(m, jw);
            units.write(p_unit, modulus, {frequency_khz[jw], pm.re, pm.im});
            units.write(s_unit, modulus, {frequency_khz[jw], sm.re, sm.im});
        }
    }
}

}  // namespace ef
