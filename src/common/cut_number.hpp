// A number typed one column too far: the fixed-width field of a record ends
// inside it, and the digits past the field's last column are never read
// ("7.896e10" with its last digit in column 21 of a 20-column field reads as
// 7.896e1).
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace ef {

struct CutNumber {
    std::string read;  // the field's text, blanks trimmed
    std::string cut;   // the characters past the field, up to the next blank
};

// The number cut at the last column of a record's first field, `width`
// columns wide: the field's last column and the one after it are not blank,
// and the field followed by the characters up to the next blank reads as a
// different number (a real with d implied decimals, or an integer for d < 0).
// A label or comment written right after the number ("400.xsize") does not
// read as a number, and a field that ends in a blank or a comma ends its
// number, so neither is a cut.
std::optional<CutNumber> cut_number(std::string_view record, std::size_t width, int d);

// One line, without the program's name: the value named `what`, read from
// record `line` of `file`, and what was read and cut off.
std::string cut_number_warning(const CutNumber& cut, std::string_view what,
                               std::string_view file, long line, std::size_t width);

}  // namespace ef
