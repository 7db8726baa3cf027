// A check of TOML text before toml++ 3.3 parses it: that version reaches
// undefined behaviour (an "unreachable" branch of its whitespace test) on some
// non-ASCII characters where TOML's syntax expects a token, for example
// "\u00fc = 1", and after a backslash of a multi-line string.
#pragma once

#include <string>
#include <string_view>

namespace ef {

// Throws RunError "FILE:LINE: TOML syntax error: ..." at the first non-ASCII
// character outside a comment or a string value, and at one that follows a
// backslash of a multi-line string.
void reject_non_ascii_syntax(std::string_view text, const std::string& file);

}  // namespace ef
