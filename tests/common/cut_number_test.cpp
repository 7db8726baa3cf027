// A number typed past the last column of its fixed-width field: found when
// the characters after the field carry on the number, and only then (a label
// or comment after a field, which decks often carry, is no cut).
#include <gtest/gtest.h>

#include "common/cut_number.hpp"

namespace ef {
namespace {

TEST(CutNumber, FoundOnlyWhenTheNumberRunsOn) {
    // (record, width, d, text read, text cut); an empty "read" means no cut.
    const struct {
        const char* record;
        std::size_t width;
        int d;
        const char* read;
        const char* cut;
    } cases[] = {
        {"             7.896e10 xmur(1)", 20, 8, "7.896e1", "0"},
        {"               7896", 4, 8, "", ""},            // the field is all blank
        {"              123456789", 20, 8, "123456", "789"},  // implied decimals differ
        {"  120005 ngx", 5, -1, "120", "005"},
        {"  120 ngx", 5, -1, "", ""},                      // a blank ends the number
        {"  120ngx", 5, -1, "", ""},                       // a label written against it
        {"                400.xsize", 20, 8, "", ""},
        {"                400.0", 20, 8, "", ""},         // the same number either way
        {"              1.0e3,5", 20, 8, "", ""},         // a comma ends the field first
        {"   1,", 5, -1, "", ""},
        {"  120", 5, -1, "", ""},                          // nothing after the field
        {"", 20, 8, "", ""},
    };
    for (const auto& c : cases) {
        const std::optional<CutNumber> cut = cut_number(c.record, c.width, c.d);
        EXPECT_EQ(cut.has_value(), *c.read != '\0') << c.record;
        if (cut) {
            EXPECT_EQ(cut->read, c.read) << c.record;
            EXPECT_EQ(cut->cut, c.cut) << c.record;
        }
    }
}

}  // namespace
}  // namespace ef
