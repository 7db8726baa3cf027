// The readers against GNU Fortran reading the same bytes from a file:
// "(i5)", "(e20.8)", "(e20.12)", "(3e20.12)" and a list-directed real, with
// blanks, signs, exponents, implied decimals, CRLF ends, short and missing
// records and every kind of field the runtime rejects.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "common/golden_files.hpp"
#include "common/stop.hpp"
#include "common/units.hpp"
#include "support/scratch_dir.hpp"

namespace {

namespace fs = std::filesystem;

std::string read_with_units(const fs::path& dir, const std::string& kind) {
    std::istringstream in;
    std::ostringstream out;
    ef::Units units(in, out, dir.string());
    units.open(10, "case.txt", ef::FileStatus::old_file);
    try {
        if (kind == "i5") return "OK " + std::to_string(units.read_i5(10, "n"));
        if (kind == "e20.8") return "OK " + ef::golden::hex_of_real(units.read_e20(10, 8, "x"));
        if (kind == "e20.12")
            return "OK " + ef::golden::hex_of_real(units.read_e20(10, 12, "x"));
        if (kind == "3e20.12") {
            double v[3] = {-7.0, -7.0, -7.0};
            units.read_3e20(10, 12, v, "x");
            return "OK " + ef::golden::hex_of_real(v[0]) + " " + ef::golden::hex_of_real(v[1]) +
                   " " + ef::golden::hex_of_real(v[2]);
        }
        return "OK " + ef::golden::hex_of_real(units.read_list(10, "x", -7.0));
    } catch (const ef::RunError&) {
        return "ERR";
    }
}

TEST(GoldenReads, FieldsAsGfortranReadsThem) {
    const ef::test::ScratchDir dir;
    std::size_t total = 0, failures = 0;
    for (const std::string& line : ef::golden::lines_of("reads.txt")) {
        if (line.empty() || line[0] == '#') continue;
        const auto parts = ef::golden::split(line, '|');
        ASSERT_EQ(parts.size(), 3u) << line;
        const std::string bytes = ef::golden::unescape(parts[1]);
        dir.write("case.txt", bytes);
        std::string expected = parts[2];
        if (expected.rfind("ERR", 0) == 0) expected = "ERR";
        const std::string got = read_with_units(dir.path(), parts[0]);
        ++total;
        if (got != expected) {
            ++failures;
            ADD_FAILURE() << parts[0] << " [" << parts[1] << "]: expected " << expected
                          << ", got " << got;
        }
    }
    EXPECT_GT(total, 350u);
    EXPECT_EQ(failures, 0u);
}

}  // namespace
