// A wave field for the output tests: zero traces on the whole grid (ghost
// ring included) and a way to give an element a chosen element-centre value.
#pragma once

#include "common/complex.hpp"
#include "solver/wave_field.hpp"

namespace ef::test {

inline ef::WaveField zero_field(int nx, int ny) { return ef::WaveField(nx, ny); }

// The centre of component 1 or 2 at (i, j) becomes exactly `value`: the top
// edge holds 4 value, the other three edges zero.
inline void set_centre(ef::WaveField& f, int component, int i, int j, ef::Complex value) {
    f.trace(component, ef::Edge::top, i, j) = {4.0 * value.re, 4.0 * value.im};
    for (ef::Edge e : {ef::Edge::left, ef::Edge::bottom, ef::Edge::right})
        f.trace(component, e, i, j) = ef::Complex{};
}

}  // namespace ef::test
