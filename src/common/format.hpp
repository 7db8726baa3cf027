// Fortran-style edit formats and list-directed (free-format) records, written
// exactly as the GNU Fortran runtime writes them.
//
//   static const Format f("(/1x,' jsou = ',i5,'  ksou = ',i5)");
//   std::string text = f.apply({jsou, ksou});   // records, each ending in '\n'
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace ef {

// One item of an output list: a 32-bit integer, a real64 or a character string.
struct Item {
    enum class Kind { integer, real, text };
    Kind kind;
    std::int32_t i = 0;
    double r = 0.0;
    std::string_view s;

    Item(int v) : kind(Kind::integer), i(v) {}
    Item(double v) : kind(Kind::real), r(v) {}
    Item(const char* v) : kind(Kind::text), s(v) {}
    Item(std::string_view v) : kind(Kind::text), s(v) {}
    Item(const std::string& v) : kind(Kind::text), s(v) {}
};

// A parsed edit format. Supports quoted text ('' inside stands for '),
// nX, /, Iw, Ew.d, Gw.d, repeat counts on descriptors and on parenthesised
// groups, and format reversion when items remain at the end of the format.
class Format {
public:
    explicit Format(std::string_view text);
    ~Format();
    Format(const Format&);
    Format(Format&&) noexcept;
    Format& operator=(const Format&);
    Format& operator=(Format&&) noexcept;

    // The records one write statement with this format produces for the
    // items, each record followed by '\n'.
    std::string apply(std::span<const Item> items) const;
    std::string apply(std::initializer_list<Item> items) const {
        return apply(std::span<const Item>(items.begin(), items.size()));
    }
    // The same records appended to `out` (no temporary string).
    void append(std::string& out, std::span<const Item> items) const;

    const std::string& text() const { return text_; }

    // One edit descriptor of the format with group repeat counts expanded
    // (defined in format.cpp).
    struct Node;

private:
    std::vector<Node> nodes_;
    std::string text_;
    std::size_t reversion_ = 0;  // where the format starts again when items remain
    bool has_data_ = false;      // whether any data edit descriptor occurs
};

// One list-directed record, '\n' included: a leading blank, integers in 11
// columns, real64 values in 25 columns with 17 significant digits, character
// items unchanged, separators as the GNU Fortran runtime places them.
std::string list_record(std::span<const Item> items);
inline std::string list_record(std::initializer_list<Item> items) {
    return list_record(std::span<const Item>(items.begin(), items.size()));
}

// Single edit descriptors, exposed for the record writer and for tests.
std::string edit_i(std::int32_t v, int w);
std::string edit_e(double v, int w, int d);
std::string edit_g(double v, int w, int d);

// Formatted input of one field: the characters of the field as the record
// holds them (fewer than the width when the record is shorter, since the
// runtime does not pad before converting). Blanks are ignored; an all-blank
// field reads as zero; a real without a decimal point has d implied decimals;
// an exponent may follow the digits. Throws RunError (whose message names
// `what`) when the field cannot be converted.
std::int32_t read_int_field(std::string_view field, std::string_view what);
double read_real_field(std::string_view field, int d, std::string_view what);

// List-directed input of one real: the first value on the line (the caller
// skips empty lines; Units::read_list does the whole multi-line read). A value
// ends at a blank, tab, comma, slash, semicolon or the line end; r*value
// repeats, E/D/Q or a bare sign start an exponent, inf/infinity/nan are read.
// Throws RunError when the value is malformed or the line is empty. A null
// value (",", "/", "3*") reads as 0.0, the value of the program's untouched
// zero-initialised variables.
double read_list_real(std::string_view line, std::string_view what);

// The same, but a null value leaves `previous` as it is, as the runtime does.
double read_list_real(std::string_view line, std::string_view what, double previous);

// A list-directed read of one real is satisfied by this line (false for an
// empty or all-blank line, which the read passes over).
bool list_line_has_value(std::string_view line);

// Free-format (list-directed) form of one real64, 25 columns.
std::string list_real(double v);

}  // namespace ef
