#include "driver/field_check.hpp"

#include <cmath>

namespace ef {

namespace {
bool finite(const Grid2<Complex>& a) {
    const Complex* v = a.data();
    for (std::size_t k = 0; k < a.size(); ++k)
        if (!std::isfinite(v[k].re) || !std::isfinite(v[k].im)) return false;
    return true;
}
}  // namespace

bool traces_finite(const InterfaceState& state) {
    for (const Grid2<Complex>* a : {&state.u1ln, &state.u1tn, &state.u1bn, &state.u1rn,
                                    &state.u2ln, &state.u2tn, &state.u2bn, &state.u2rn})
        if (!finite(*a)) return false;
    return true;
}

}  // namespace ef
