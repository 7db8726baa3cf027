// Conversion of a real to a 32-bit integer, truncating toward zero, with a
// defined result for every input: a NaN or a value outside the int32 range
// gives -2147483648, the "integer indefinite" value that the x86-64 convert
// instruction (and so the reference Fortran INT) produces. A plain
// static_cast is undefined behaviour for such values.
#pragma once

#include <cstdint>
#include <limits>

namespace ef {

inline std::int32_t int_trunc(double x) {
    if (x > -2147483649.0 && x < 2147483648.0) return static_cast<std::int32_t>(x);
    return std::numeric_limits<std::int32_t>::min();
}

}  // namespace ef
