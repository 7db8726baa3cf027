// The edit descriptors of formatted output, appending to a record buffer.
// Each one reproduces the characters the GNU Fortran runtime writes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace ef::edit {

// Iw: right-aligned integer, w asterisks when it does not fit.
void append_i(std::string& out, std::int32_t v, int w);
// Ew.d: 0.ddddE+xx (three-digit exponents drop the E: 0.dddd+xxx).
void append_e(std::string& out, double v, int w, int d);
// Gw.d: F form with d significant digits and four trailing blanks when
// 0.1 <= |v| < 10**d after rounding, E form otherwise.
void append_g(std::string& out, double v, int w, int d);
// A / Aw: a character item (w > 0 pads on the left or keeps the leftmost w).
void append_a(std::string& out, std::string_view s, int w);
// A real64 of a list-directed record, 25 columns.
void append_list_real(std::string& out, double v);
// An int32 of a list-directed record, 11 columns.
void append_list_int(std::string& out, std::int32_t v);

}  // namespace ef::edit
