// The per-frequency complex moduli and the densities of the materials, read by
// position from p_modulus.freq (unit 1), s_modulus.freq (unit 2) and
// bulk_density.mat (unit 7).
#pragma once

#include <vector>

#include "common/complex.hpp"
#include "common/run_params.hpp"
#include "common/units.hpp"

namespace ef {

class MaterialModuli {
public:
    MaterialModuli() = default;
    MaterialModuli(int nmat, int jw2);
    // m = 1..nmat, jw = 1..jw2
    Complex& p_modulus(int m, int jw);
    Complex& s_modulus(int m, int jw);
    const Complex& p_modulus(int m, int jw) const;
    const Complex& s_modulus(int m, int jw) const;
    std::vector<double> densmat;  // 1..nmat

private:
    int nmat_ = 0, jw2_ = 0;
    std::vector<Complex> p_, s_;
};

// Reads the three files (already open on units 1, 2, 7) for materials
// 1..nmat and frequency numbers jw2 down to jw1. A missing or unreadable
// record throws RunError naming the file and the record.
MaterialModuli read_material_files(Units& units, const RunParams& p);

}  // namespace ef
