// Formatted and list-directed input of single values, with the GNU Fortran
// runtime's rules: blanks inside a formatted numeric field are ignored, an
// all-blank field is zero, a real without a decimal point takes d implied
// decimals, and a list-directed value ends at a blank, comma, slash or the
// end of the line. Every byte sequence is handled without reading outside
// the given characters.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>

#include "common/format.hpp"
#include "common/stop.hpp"

namespace ef {

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool is_exponent_letter(char c) {
    const char l = lower(c);
    return l == 'e' || l == 'd' || l == 'q';
}

// Printable form of a field for messages: control bytes escaped.
std::string shown(std::string_view s) {
    std::string out = "\"";
    for (const char c : s) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u >= 0x7f) {
            static const char hex[] = "0123456789abcdef";
            out += "\\x";
            out += hex[u >> 4];
            out += hex[u & 15];
        } else {
            out += c;
        }
    }
    out += '"';
    return out;
}

[[noreturn]] void bad_value(std::string_view what, std::string_view field, const char* kind) {
    throw RunError("bad " + std::string(kind) + " " + shown(field) + " for " + std::string(what));
}

// Accumulates the digits of a decimal number and converts it with the C
// library, which rounds correctly. Only the significant digits are kept, as
// an integer with a power of ten (no decimal point, so no locale matters).
class DecimalText {
public:
    void digit(char c) {
        any_digit_ = true;
        if (digits_.empty() && c == '0') {
            if (seen_point_) --point_shift_;  // leading zeros after the point
            return;
        }
        if (digits_.size() < kMaxDigits) {
            digits_ += c;
            if (seen_point_) --point_shift_;
        } else if (!seen_point_) {
            ++point_shift_;  // digits beyond the precision kept only for magnitude
        }
    }
    void point() { seen_point_ = true; }
    bool seen_point() const { return seen_point_; }
    bool any_digit() const { return any_digit_; }

    double value(bool negative, long exponent) const {
        if (digits_.empty()) return negative ? -0.0 : 0.0;
        long e = exponent + point_shift_;
        if (e > 100000) e = 100000;
        if (e < -100000) e = -100000;
        std::string text = digits_;
        text += 'e';
        text += std::to_string(e);
        const double v = std::strtod(text.c_str(), nullptr);
        return negative ? -v : v;
    }

private:
    static constexpr std::size_t kMaxDigits = 800;
    std::string digits_;
    long point_shift_ = 0;
    bool seen_point_ = false;
    bool any_digit_ = false;
};

long add_exponent_digit(long e, char c) {
    e = e * 10 + (c - '0');
    return e > 1000000 ? 1000000 : e;
}

// "inf", "infinity", "nan" or "nan(alnum...)" in any case.
bool special_value(std::string_view s, double& out) {
    std::string l;
    for (const char c : s) l += lower(c);
    if (l == "inf" || l == "infinity") {
        out = std::numeric_limits<double>::infinity();
        return true;
    }
    if (l == "nan") {
        out = std::numeric_limits<double>::quiet_NaN();
        return true;
    }
    if (l.size() >= 5 && l.compare(0, 4, "nan(") == 0 && l.back() == ')') {
        for (std::size_t k = 4; k + 1 < l.size(); ++k)
            if (!is_digit(l[k]) && !(l[k] >= 'a' && l[k] <= 'z')) return false;
        out = std::numeric_limits<double>::quiet_NaN();
        return true;
    }
    return false;
}

// Where the number of a field starts: past its leading blanks and its sign.
struct FieldStart {
    std::size_t p = 0;     // the first character after the blanks and the sign
    bool blank = false;    // nothing but blanks
    bool sign = false;     // a sign was read
    bool negative = false;
};

FieldStart field_start(std::string_view field) {
    FieldStart s;
    const std::size_t n = field.size();
    while (s.p < n && field[s.p] == ' ') ++s.p;
    s.blank = s.p == n;
    if (!s.blank && (field[s.p] == '-' || field[s.p] == '+')) {
        s.sign = true;
        s.negative = field[s.p] == '-';
        ++s.p;
    }
    return s;
}

bool list_separator(char c) {
    return c == ' ' || c == '\t' || c == ',' || c == '/' || c == ';' || c == '\r' || c == '\n' ||
           c == '\0';
}

}  // namespace

std::int32_t read_int_field(std::string_view field, std::string_view what) {
    const FieldStart start = field_start(field);
    if (start.blank) return 0;
    std::size_t p = start.p;
    const std::size_t n = field.size();
    const bool negative = start.negative;
    // a sign must be followed by something in the field (blanks read as zero)
    if (start.sign && p == n) bad_value(what, field, "integer");
    std::int64_t value = 0;
    const std::int64_t limit = negative ? 2147483648LL : 2147483647LL;
    for (; p < n; ++p) {
        const char c = field[p];
        if (c == ' ') continue;
        if (c == '\0') break;  // the runtime takes a NUL byte as the end of the field
        if (!is_digit(c)) bad_value(what, field, "integer");
        value = value * 10 + (c - '0');
        if (value > limit) throw RunError("integer overflow in " + shown(field) + " for " +
                                          std::string(what));
    }
    return static_cast<std::int32_t>(negative ? -value : value);
}

double read_real_field(std::string_view field, int d, std::string_view what) {
    const FieldStart start = field_start(field);
    if (start.blank) return 0.0;
    std::size_t p = start.p;
    const std::size_t n = field.size();
    const bool negative = start.negative;
    if (start.sign) {
        // a sign followed by blanks only: zero without sign
        std::size_t rest = p;
        while (rest < n && field[rest] == ' ') ++rest;
        if (rest == n) return 0.0;
    }
    {
        const char l = lower(field[p]);
        if (l == 'i' || l == 'n') {
            // "inf", "infinity", "nan", "nan(...)"; a blank ends the word and
            // the rest of the field is not looked at
            std::size_t end = p;
            while (end < n && field[end] != ' ') ++end;
            double special = 0.0;
            if (!special_value(field.substr(p, end - p), special))
                bad_value(what, field, "real");
            return negative ? -special : special;
        }
    }
    DecimalText mantissa;
    bool mantissa_seen = false;  // a digit or the decimal point
    for (; p < n; ++p) {
        const char c = field[p];
        if (c == ' ') continue;
        if (is_digit(c)) {
            mantissa.digit(c);
            mantissa_seen = true;
        } else if (c == '.') {
            if (mantissa.seen_point()) bad_value(what, field, "real");
            mantissa.point();
            mantissa_seen = true;
        } else if (is_exponent_letter(c) || c == '+' || c == '-') {
            break;
        } else {
            bad_value(what, field, "real");
        }
    }
    long exponent = 0;
    if (p < n) {
        // exponent: a letter with an optional sign, or a sign alone
        if (is_exponent_letter(field[p])) ++p;
        while (p < n && field[p] == ' ') ++p;
        bool exponent_negative = false;
        if (p < n && (field[p] == '+' || field[p] == '-')) {
            exponent_negative = field[p] == '-';
            ++p;
        }
        bool exponent_digit = false;
        for (; p < n; ++p) {
            const char c = field[p];
            if (c == ' ') continue;
            if (!is_digit(c)) bad_value(what, field, "real");
            exponent = add_exponent_digit(exponent, c);
            exponent_digit = true;
        }
        if (!exponent_digit) bad_value(what, field, "real");
        if (exponent_negative) exponent = -exponent;
    }
    // the decimal exponent, implied decimals included, is limited to 4 digits
    if (!mantissa.seen_point()) exponent -= d;
    if (exponent > 9999 || exponent < -9999) bad_value(what, field, "real (exponent range)");
    if (!mantissa_seen) return negative ? -0.0 : 0.0;
    return mantissa.value(negative, exponent);
}

bool list_line_has_value(std::string_view line) {
    for (const char c : line)
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n') return true;
    return false;
}

double read_list_real(std::string_view line, std::string_view what, double previous) {
    std::size_t p = 0;
    const std::size_t n = line.size();
    auto at = [&](std::size_t k) { return k < n ? line[k] : '\n'; };
    bool nul = false;  // a line holding a NUL byte is not empty: it reads a null value
    while (p < n && (line[p] == ' ' || line[p] == '\t' || line[p] == '\r' || line[p] == '\0')) {
        nul = nul || line[p] == '\0';
        ++p;
    }
    if (p == n) {
        if (nul) return previous;
        throw RunError("no value for " + std::string(what) + " on an empty line");
    }
    // null value or end of the list: the variable keeps its value
    if (line[p] == ',' || line[p] == '/' || line[p] == ';') return previous;

    // a repeat count r* in front of the value
    std::size_t q = p;
    while (q < n && is_digit(line[q])) ++q;
    if (q > p && at(q) == '*') {
        bool zero = true;
        for (std::size_t k = p; k < q; ++k) zero = zero && line[k] == '0';
        if (zero) throw RunError("zero repeat count in " + shown(line) + " for " +
                                 std::string(what));
        p = q + 1;
        if (list_separator(at(p))) return previous;  // r* alone: null values
    }

    const std::size_t start = p;
    bool negative = false;
    if (at(p) == '+' || at(p) == '-') {
        negative = at(p) == '-';
        ++p;
    }
    const char first = lower(at(p));
    if (first == 'i' || first == 'n') {
        std::size_t end = p;
        while (end < n && !list_separator(line[end])) ++end;
        double special = 0.0;
        if (!special_value(line.substr(p, end - p), special))
            bad_value(what, line.substr(start, end - start), "real");
        return negative ? -special : special;
    }
    auto token_end = [&]() {
        std::size_t end = start;
        while (end < n && !list_separator(line[end])) ++end;
        return line.substr(start, end - start);
    };
    DecimalText mantissa;
    for (; p < n; ++p) {
        const char c = line[p];
        if (is_digit(c)) {
            mantissa.digit(c);
        } else if (c == '.') {
            if (mantissa.seen_point()) bad_value(what, token_end(), "real");
            mantissa.point();
        } else {
            break;
        }
    }
    if (!mantissa.any_digit()) bad_value(what, token_end(), "real");
    long exponent = 0;
    if (p < n && (is_exponent_letter(line[p]) || line[p] == '+' || line[p] == '-')) {
        if (is_exponent_letter(line[p])) ++p;
        bool exponent_negative = false;
        if (at(p) == '+' || at(p) == '-') {
            exponent_negative = at(p) == '-';
            ++p;
        }
        if (!is_digit(at(p))) bad_value(what, token_end(), "real");
        while (p < n && is_digit(line[p])) exponent = add_exponent_digit(exponent, line[p++]);
        if (exponent_negative) exponent = -exponent;
    }
    if (!list_separator(at(p))) bad_value(what, token_end(), "real");
    return mantissa.value(negative, exponent);
}

double read_list_real(std::string_view line, std::string_view what) {
    return read_list_real(line, what, 0.0);
}

}  // namespace ef
