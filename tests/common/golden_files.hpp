// Readers of the record-layer golden vectors written by tools/golden/generate.sh
// with GNU Fortran (tests/data/golden/).
#pragma once

#include <cstdint>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace ef::golden {

inline std::string path(const std::string& name) {
    return std::string(ELASTOFREQ_TEST_DATA) + "/golden/" + name;
}

inline std::vector<std::string> lines_of(const std::string& name) {
    std::ifstream in(path(name), std::ios::binary);
    if (!in) throw std::runtime_error("missing golden file " + path(name));
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line)) lines.push_back(line);
    return lines;
}

inline std::vector<std::string> split(const std::string& s, char sep) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t k = s.find(sep, start);
        parts.push_back(s.substr(start, k == std::string::npos ? std::string::npos : k - start));
        if (k == std::string::npos) return parts;
        start = k + 1;
    }
}

inline double real_of_hex(const std::string& hex) {
    const std::uint64_t bits = std::stoull(hex, nullptr, 16);
    double v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

inline std::string hex_of_real(double v) {
    std::uint64_t bits;
    std::memcpy(&bits, &v, sizeof v);
    char buf[20];
    std::snprintf(buf, sizeof buf, "%016llX", static_cast<unsigned long long>(bits));
    return buf;
}

// \n \r \t \\ \xNN escapes of the read cases.
inline std::string unescape(const std::string& s) {
    std::string out;
    for (std::size_t k = 0; k < s.size(); ++k) {
        if (s[k] != '\\' || k + 1 >= s.size()) {
            out += s[k];
            continue;
        }
        const char c = s[++k];
        if (c == 'n') out += '\n';
        else if (c == 'r') out += '\r';
        else if (c == 't') out += '\t';
        else if (c == 'x' && k + 2 < s.size() + 0) {
            out += static_cast<char>(std::stoi(s.substr(k + 1, 2), nullptr, 16));
            k += 2;
        } else out += c;
    }
    return out;
}

}  // namespace ef::golden
