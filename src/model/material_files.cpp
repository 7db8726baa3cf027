#include "model/material_files.hpp"

#include <string>

namespace ef {

namespace {
std::size_t count(int n) { return static_cast<std::size_t>(n > 0 ? n : 0); }
}  // namespace

MaterialModuli::MaterialModuli(int nmat, int jw2)
    : densmat(count(nmat) + 1, 0.0), nmat_(nmat > 0 ? nmat : 0), jw2_(jw2 > 0 ? jw2 : 0),
      p_(count(nmat) * count(jw2)), s_(count(nmat) * count(jw2)) {}

// Storage: material fastest, frequency number outer.
Complex& MaterialModuli::p_modulus(int m, int jw) {
    return p_[static_cast<std::size_t>(m - 1) + count(nmat_) * static_cast<std::size_t>(jw - 1)];
}
Complex& MaterialModuli::s_modulus(int m, int jw) {
    return s_[static_cast<std::size_t>(m - 1) + count(nmat_) * static_cast<std::size_t>(jw - 1)];
}
const Complex& MaterialModuli::p_modulus(int m, int jw) const {
    return p_[static_cast<std::size_t>(m - 1) + count(nmat_) * static_cast<std::size_t>(jw - 1)];
}
const Complex& MaterialModuli::s_modulus(int m, int jw) const {
    return s_[static_cast<std::size_t>(m - 1) + count(nmat_) * static_cast<std::size_t>(jw - 1)];
}

MaterialModuli read_material_files(Units& units, const RunParams& p) {
    constexpr int kP = 1, kS = 2, kDensity = 7;
    MaterialModuli moduli(p.nmat, p.jw2);
    for (int m = 1; m <= p.nmat; ++m) {
        const std::string mat = "material " + std::to_string(m);
        units.read_i5(kP, "header of " + mat);
        units.read_i5(kS, "header of " + mat);
        units.read_i5(kDensity, "header of " + mat);
        moduli.densmat[m] = units.read_e20(kDensity, 12, "density of " + mat);
        for (int jw = p.jw2; jw >= p.jw1; --jw) {
            const std::string at = mat + ", frequency number " + std::to_string(jw);
            double v[3];
            units.read_3e20(kP, 12, v, "P-wave modulus of " + at);
            moduli.p_modulus(m, jw) = {v[1], v[2]};
            units.read_3e20(kS, 12, v, "shear modulus of " + at);
            moduli.s_modulus(m, jw) = {v[1], v[2]};
        }
    }
    return moduli;
}

}  // namespace ef
