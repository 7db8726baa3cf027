#include "model/toml_text_guard.hpp"

#include <algorithm>

#include "common/stop.hpp"

namespace ef {

// TOML allows non-ASCII text only in strings and comments, so the first case
// is a syntax error anyway. Every quote is taken to open a string, but only a string right
// after the first '=' of its line is surely a value to the parser and may
// hold non-ASCII text; a key in quotes, a string in an array or an inline
// table, or a quote inside a faulty token ("x = -k=\"") may not. No key of a
// survey file is non-ASCII, and no array or inline table holds text.
void reject_non_ascii_syntax(std::string_view text, const std::string& file) {
    int line = 1;
    std::size_t k = 0;
    char last = '\n';  // the last character that is not a blank, on this line
    int equals = 0;     // the '=' of this line outside strings so far
    const auto fault = [&](const char* where) {
        throw RunError(file + ":" + std::to_string(line) + ": TOML syntax error: a non-ASCII" +
                       " character " + where);
    };
    const auto starts = [&](std::string_view token) { return text.substr(k, token.size()) == token; };
    // Skips to just past `close`; basic strings honour backslash escapes, and
    // a single-line string ends at the line's end at the latest.
    const auto skip_to = [&](std::string_view close, bool escapes, bool single_line, bool value) {
        while (k < text.size() && !starts(close)) {
            if (text[k] == '\n') {
                if (single_line) return;
                ++line;
            }
            if (!value && static_cast<unsigned char>(text[k]) >= 0x80)
                fault("outside a string value or comment");
            // The parser tests what follows a backslash of a multi-line string
            // for blanks, with the same fault.
            if (escapes && !single_line && text[k] == '\\') {
                const std::size_t next = text.find_first_not_of(" \t\r\n", k + 1);
                if (next != std::string_view::npos && static_cast<unsigned char>(text[next]) >= 0x80)
                    fault("after a backslash (and blanks) in a multi-line string");
            }
            k += escapes && text[k] == '\\' && k + 1 < text.size() && text[k + 1] != '\n' ? 2 : 1;
        }
        k += std::min(close.size(), text.size() - k);
    };
    while (k < text.size()) {
        const char c = text[k];
        if (c == '\n') {
            ++line;
            ++k;
            last = '\n';
            equals = 0;
        } else if (c == ' ' || c == '\t') {
            ++k;
        } else if (c == '#') {
            while (k < text.size() && text[k] != '\n') ++k;
        } else if (c == '"' || c == '\'') {
            const bool multi_line = starts(c == '"' ? "\"\"\"" : "'''");
            k += multi_line ? 3 : 1;
            skip_to(text.substr(k - (multi_line ? 3 : 1), multi_line ? 3 : 1), c == '"', !multi_line,
                    last == '=' && equals == 1);
            last = c;
        } else if (static_cast<unsigned char>(c) >= 0x80) {
            fault("outside a string value or comment");
        } else {
            equals += c == '=' ? 1 : 0;
            last = c;
            ++k;
        }
    }
}

}  // namespace ef
