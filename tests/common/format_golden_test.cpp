// The record writer against records written by GNU Fortran: single edit
// descriptors over special, boundary and random values, and whole write
// statements (reversion, groups, slashes, list-directed item mixes).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/format.hpp"
#include "common/golden_files.hpp"

namespace {

using ef::Format;
using ef::Item;

struct Mismatch {
    std::string where, expected, got;
};

void report(const std::vector<Mismatch>& bad, std::size_t total) {
    for (std::size_t k = 0; k < bad.size() && k < 25; ++k)
        ADD_FAILURE() << bad[k].where << "\n  expected [" << bad[k].expected << "]\n  got      ["
                      << bad[k].got << "]";
    EXPECT_EQ(bad.size(), 0u) << "of " << total << " cases";
}

TEST(GoldenEditDescriptors, EveryValueAsGfortranWritesIt) {
    std::vector<Mismatch> bad;
    std::size_t total = 0;
    for (const std::string& line : ef::golden::lines_of("edit_descriptors.txt")) {
        if (line.empty() || line[0] == '#') continue;
        const auto first = line.find('|');
        const auto second = line.find('|', first + 1);
        ASSERT_EQ(line.back(), '|') << line;
        const std::string desc = line.substr(0, first);
        const std::string value = line.substr(first + 1, second - first - 1);
        const std::string expected = line.substr(second + 1, line.size() - second - 2);
        std::string got, got_format;
        if (desc == "list") {
            got = ef::list_record({ef::golden::real_of_hex(value)});
            got.pop_back();
            got_format = got;
        } else if (desc == "list_i") {
            got = ef::list_record({std::stoi(value)});
            got.pop_back();
            got_format = got;
        } else {
            const Format fmt("(" + desc + ")");
            const int w = std::stoi(desc.substr(1));
            if (desc[0] == 'i') {
                const int v = std::stoi(value);
                got = ef::edit_i(v, w);
                got_format = fmt.apply({v});
            } else {
                const int d = std::stoi(desc.substr(desc.find('.') + 1));
                const double x = ef::golden::real_of_hex(value);
                got = desc[0] == 'e' ? ef::edit_e(x, w, d) : ef::edit_g(x, w, d);
                got_format = fmt.apply({x});
            }
            got_format.pop_back();  // the record's '\n'
        }
        ++total;
        if (got != expected) bad.push_back({desc + " " + value, expected, got});
        else if (got_format != expected)
            bad.push_back({"format (" + desc + ") " + value, expected, got_format});
    }
    EXPECT_GT(total, 15000u);
    report(bad, total);
}

TEST(GoldenFormats, WholeWriteStatementsAsGfortranWritesThem) {
    const auto lines = ef::golden::lines_of("formats.txt");
    std::vector<Mismatch> bad;
    std::size_t total = 0;
    std::size_t k = 0;
    while (k < lines.size()) {
        if (lines[k].rfind("@@ ", 0) != 0) {
            ++k;
            continue;
        }
        const std::string head = lines[k++];
        const bool list = head == "@@ list";
        const std::string fmt_text = list ? "" : head.substr(10);
        std::vector<std::string> texts;  // storage behind the text items
        texts.reserve(64);
        std::vector<Item> items;
        for (; k < lines.size() && lines[k] != "@@ expect"; ++k) {
            const std::string& l = lines[k];
            const char kind = l[3];
            const std::string v = l.substr(5);
            if (kind == 'i') items.emplace_back(std::stoi(v));
            else if (kind == 'r') items.emplace_back(ef::golden::real_of_hex(v));
            else {
                texts.push_back(v);
                items.emplace_back(std::string_view(texts.back()));
            }
        }
        ++k;
        std::string expected;
        for (; k < lines.size() && lines[k] != "@@ end"; ++k) expected += lines[k] + '\n';
        ++k;
        const std::string got = list ? ef::list_record(items) : Format(fmt_text).apply(items);
        ++total;
        if (got != expected) bad.push_back({list ? "list" : fmt_text, expected, got});
    }
    EXPECT_GT(total, 70u);
    report(bad, total);
}

}  // namespace
