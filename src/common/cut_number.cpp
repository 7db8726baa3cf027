#include "common/cut_number.hpp"

#include "common/format.hpp"
#include "common/stop.hpp"

namespace ef {

namespace {

bool blank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// The field read as a number, or nothing when it is not one.
std::optional<double> number(std::string_view text, int d) {
    try {
        if (d < 0) return read_int_field(text, "a cut number");
        return read_real_field(text, d, "a cut number");
    } catch (const RunError&) {
        return std::nullopt;
    }
}

}  // namespace

std::optional<CutNumber> cut_number(std::string_view record, std::size_t width, int d) {
    if (record.size() <= width) return std::nullopt;
    const std::string_view field = record.substr(0, width);
    if (field.find(',') != std::string_view::npos || blank(field.back()) || blank(record[width]))
        return std::nullopt;
    std::size_t end = width;
    while (end < record.size() && !blank(record[end])) ++end;

    const std::optional<double> alone = number(field, d);
    const std::optional<double> joined = number(record.substr(0, end), d);
    if (!alone || !joined || *alone == *joined) return std::nullopt;
    std::size_t first = 0;
    while (blank(field[first])) ++first;
    return CutNumber{std::string(field.substr(first)), std::string(record.substr(width, end - width))};
}

std::string cut_number_warning(const CutNumber& cut, std::string_view what,
                               std::string_view file, long line, std::size_t width) {
    const std::string columns = std::to_string(width);
    return std::string(what) + ", line " + std::to_string(line) + " of " + std::string(file) +
           ": the number runs past column " + columns + ": \"" + cut.read + "\" is read and \"" +
           cut.cut + "\" after it is not; keep the number within columns 1 to " + columns;
}

}  // namespace ef
