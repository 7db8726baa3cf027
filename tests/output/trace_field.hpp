// A wave field on the element edges for the output tests: zero traces on
// the whole grid (ghost ring included) and a way to give an element a chosen
// element-centre value.
#pragma once

#include "common/complex.hpp"
#include "common/grid2.hpp"
#include "solver/interface_state.hpp"

namespace ef::test {

inline ef::InterfaceState zero_field(int nx, int ny) {
    ef::InterfaceState s;
    for (ef::Grid2<ef::Complex>* g : {&s.u1ln, &s.u1tn, &s.u1bn, &s.u1rn, &s.u2ln, &s.u2tn,
                                      &s.u2bn, &s.u2rn})
        *g = ef::Grid2<ef::Complex>(nx, ny);
    return s;
}

// The centre of component 1 or 2 at (i, j) becomes exactly `value`: the top
// edge holds 4 value, the other three edges zero.
inline void set_centre(ef::InterfaceState& s, int component, int i, int j, ef::Complex value) {
    const ef::Complex four{4.0 * value.re, 4.0 * value.im};
    if (component == 1) {
        s.u1tn(i, j) = four;
        s.u1ln(i, j) = s.u1bn(i, j) = s.u1rn(i, j) = ef::Complex{};
    } else {
        s.u2tn(i, j) = four;
        s.u2ln(i, j) = s.u2bn(i, j) = s.u2rn(i, j) = ef::Complex{};
    }
}

}  // namespace ef::test
