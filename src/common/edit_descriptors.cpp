#include "common/edit_descriptors.hpp"

#include <charconv>
#include <cmath>
#include <system_error>
#include <string>

#include "common/format.hpp"

namespace ef::edit {

namespace {

// A nonzero finite magnitude rounded to `digits` significant decimal digits
// (round-half-even on the exact binary value, as the C library does):
// value = 0.d1d2...dn * 10**exponent.
struct Decimal {
    char digits[40];
    int count;
    int exponent;
};

Decimal round_decimal(double magnitude, int digits) {
    char buf[64];
    // d.ddde+xx: one digit before the point, digits - 1 after it
    const auto res = std::to_chars(buf, buf + sizeof buf, magnitude,
                                   std::chars_format::scientific, digits - 1);
    const int n = static_cast<int>(res.ptr - buf);
    Decimal r{};
    r.count = 0;
    int i = 0;
    for (; i < n && buf[i] != 'e'; ++i)
        if (buf[i] >= '0' && buf[i] <= '9') r.digits[r.count++] = buf[i];
    // exponent: e, sign, two or three digits
    int e = 0;
    for (int k = i + 2; k < n; ++k) e = e * 10 + (buf[k] - '0');
    r.exponent = (i + 1 < n && buf[i + 1] == '-' ? -e : e) + 1;
    return r;
}

void pad(std::string& out, int n, char c = ' ') {
    if (n > 0) out.append(static_cast<std::size_t>(n), c);
}

void stars(std::string& out, int w) { pad(out, w, '*'); }

// Infinity and NaN as the runtime writes them in a field of width w.
void append_special(std::string& out, double v, int w) {
    const char* text;
    if (std::isnan(v)) {
        text = "NaN";
    } else if (std::signbit(v)) {
        text = w >= 9 ? "-Infinity" : "-Inf";
    } else {
        text = w >= 8 ? "Infinity" : "Inf";
    }
    const int len = static_cast<int>(std::char_traits<char>::length(text));
    if (len > w) {
        stars(out, w);
        return;
    }
    pad(out, w - len);
    out += text;
}

// Exponent part of the E form: E+xx, or +xxx without the letter.
int exponent_text(char* buf, int e) {
    const char sign = e < 0 ? '-' : '+';
    const int a = e < 0 ? -e : e;
    int n = 0;
    if (a <= 99) {
        buf[n++] = 'E';
        buf[n++] = sign;
    } else {
        buf[n++] = sign;
        buf[n++] = static_cast<char>('0' + a / 100);
    }
    buf[n++] = static_cast<char>('0' + a / 10 % 10);
    buf[n++] = static_cast<char>('0' + a % 10);
    return n;
}

}  // namespace

void append_i(std::string& out, std::int32_t v, int w) {
    char buf[16];
    const int n = static_cast<int>(std::to_chars(buf, buf + sizeof buf, v).ptr - buf);
    if (n > w) {
        stars(out, w);
        return;
    }
    pad(out, w - n);
    out.append(buf, static_cast<std::size_t>(n));
}

void append_e(std::string& out, double v, int w, int d) {
    if (!std::isfinite(v)) {
        append_special(out, v, w);
        return;
    }
    if (d < 1) d = 1;  // Ew.0 does not occur in the programs
    if (d > 36) d = 36;
    const bool negative = std::signbit(v);
    char digits[40];
    int exponent = 0;
    if (v == 0.0) {
        for (int k = 0; k < d; ++k) digits[k] = '0';
    } else {
        const Decimal r = round_decimal(std::fabs(v), d);
        for (int k = 0; k < d; ++k) digits[k] = r.digits[k];
        exponent = r.exponent;
    }
    char ebuf[8];
    const int elen = exponent_text(ebuf, exponent);
    // sign, "0.", digits, exponent
    int width = (negative ? 1 : 0) + 2 + d + elen;
    bool leading_zero = true;
    if (width > w) {
        leading_zero = false;
        --width;
        if (width > w) {
            stars(out, w);
            return;
        }
    }
    pad(out, w - width);
    if (negative) out += '-';
    if (leading_zero) out += '0';
    out += '.';
    out.append(digits, static_cast<std::size_t>(d));
    out.append(ebuf, static_cast<std::size_t>(elen));
}

// 10**k as the runtime forms it: repeated multiplication, 1/10**-k below 1.
double power_of_ten(int k) {
    double r = 1.0;
    for (int i = 0; i < (k >= 0 ? k : -k); ++i) r *= 10.0;
    return k >= 0 ? r : 1.0 / r;
}

void append_g(std::string& out, double v, int w, int d) {
    if (!std::isfinite(v)) {
        append_special(out, v, w);
        return;
    }
    if (d < 1) d = 1;
    if (d > 36) d = 36;
    const bool negative = std::signbit(v);
    const double m = std::fabs(v);
    // The choice between F and E form and the number of decimals are made
    // in floating point on the unrounded magnitude, as the GNU runtime does:
    // E form below 0.1*(1 - 0.5/10**d) and from 10**d - 0.5 on; otherwise
    // F form with d + 1 - k decimals where 10**(k-2)*r <= m < 10**(k-1)*r,
    // r = 1 - 0.5/10**d. So a value just under a decade boundary (9.9995
    // with g15.4) may print with one decimal fewer ("10.00").
    int decimals;
    if (m == 0.0) {
        decimals = d - 1;
    } else {
        const double exp_d = power_of_ten(d);
        const double r_sc = 1.0 - 0.5 / exp_d;
        if (m < 0.1 * r_sc || 0.5 >= exp_d - m) {
            append_e(out, v, w, d);
            return;
        }
        int mid = 0, low = 0, high = d + 1, lbound = 0, ubound = d + 1;
        while (low <= high) {
            mid = (low + high) / 2;
            const double temp = power_of_ten(mid - 1) * r_sc;
            if (m < temp) {
                ubound = mid;
                if (ubound == lbound + 1) break;
                high = mid - 1;
            } else if (m > temp) {
                lbound = mid;
                if (ubound == lbound + 1) {
                    ++mid;
                    break;
                }
                low = mid + 1;
            } else {
                ++mid;
                break;
            }
        }
        decimals = d + 1 - mid;
    }
    // F(w-4).decimals, correctly rounded, then four blanks
    char fixed[400];
    const auto res =
        std::to_chars(fixed, fixed + sizeof fixed - 1, m, std::chars_format::fixed, decimals);
    int len = res.ec == std::errc() ? static_cast<int>(res.ptr - fixed) : 0;
    if (len > 0 && decimals == 0) fixed[len++] = '.';  // the point stays: "9999."
    const int field = w - 4;
    int width = len + (negative ? 1 : 0);
    int skip = 0;
    if (width > field && len > 1 && fixed[0] == '0' && fixed[1] == '.') {
        skip = 1;
        --width;
    }
    if (width > field || len == 0) {
        stars(out, w);
        return;
    }
    pad(out, field - width);
    if (negative) out += '-';
    out.append(fixed + skip, static_cast<std::size_t>(len - skip));
    out.append(4, ' ');
}

void append_a(std::string& out, std::string_view s, int w) {
    if (w <= 0) {
        out += s;
        return;
    }
    const auto width = static_cast<std::size_t>(w);
    if (s.size() >= width) {
        out += s.substr(0, width);
        return;
    }
    pad(out, static_cast<int>(width - s.size()));
    out += s;
}

void append_list_real(std::string& out, double v) {
    constexpr int w = 25;
    if (!std::isfinite(v)) {
        append_special(out, v, w);
        return;
    }
    const bool negative = std::signbit(v);
    char text[48];
    int len = 0;
    bool fixed_form = true;
    if (v == 0.0) {
        text[len++] = '0';
        text[len++] = '.';
        for (int k = 0; k < 16; ++k) text[len++] = '0';
    } else {
        const Decimal r = round_decimal(std::fabs(v), 17);
        if (r.exponent >= 0 && r.exponent <= 17) {
            if (r.exponent == 0) text[len++] = '0';
            for (int k = 0; k < 17; ++k) {
                if (k == r.exponent) text[len++] = '.';
                text[len++] = r.digits[k];
            }
            if (r.exponent == 17) text[len++] = '.';
        } else {
            fixed_form = false;
            text[len++] = r.digits[0];
            text[len++] = '.';
            for (int k = 1; k < 17; ++k) text[len++] = r.digits[k];
            const int e = r.exponent - 1;
            const int a = e < 0 ? -e : e;
            text[len++] = 'E';
            text[len++] = e < 0 ? '-' : '+';
            text[len++] = static_cast<char>('0' + a / 100);
            text[len++] = static_cast<char>('0' + a / 10 % 10);
            text[len++] = static_cast<char>('0' + a % 10);
        }
    }
    const int trailing = fixed_form ? 5 : 0;
    const int width = len + (negative ? 1 : 0) + trailing;
    pad(out, w - width);
    if (negative) out += '-';
    out.append(text, static_cast<std::size_t>(len));
    pad(out, trailing);
}

void append_list_int(std::string& out, std::int32_t v) { append_i(out, v, 11); }

}  // namespace ef::edit

namespace ef {

std::string edit_i(std::int32_t v, int w) {
    std::string s;
    edit::append_i(s, v, w);
    return s;
}

std::string edit_e(double v, int w, int d) {
    std::string s;
    edit::append_e(s, v, w, d);
    return s;
}

std::string edit_g(double v, int w, int d) {
    std::string s;
    edit::append_g(s, v, w, d);
    return s;
}

std::string list_real(double v) {
    std::string s;
    edit::append_list_real(s, v);
    return s;
}

}  // namespace ef
