// The example decks of tests/data/decks end as their names say: stop_<code>_*
// with that numeric stop, plain_stop_* with a plain stop, reject_* with a run
// error (exit status 2).
#include <filesystem>

#include <gtest/gtest.h>

#include "support/run_deck.hpp"

namespace ef::test {
namespace {

TEST(StopDecks, EachDeckEndsAsItsNameSays) {
    int decks = 0;
    for (const auto& entry :
         std::filesystem::directory_iterator(std::string(ELASTOFREQ_TEST_DATA) + "/decks")) {
        const std::string name = entry.path().filename().string();
        if (entry.path().extension() != ".deck" || name == "two_layer.deck") continue;
        const RunResult r = run_deck(read_file(entry.path()));
        if (name.rfind("stop_", 0) == 0) {
            EXPECT_TRUE(r.stopped_with(std::stoi(name.substr(5)))) << name << " " << r.message;
        } else if (name.rfind("plain_stop_", 0) == 0) {
            EXPECT_EQ(r.ending, Ending::plain_stop) << name;
        } else {
            EXPECT_EQ(r.ending, Ending::run_error) << name;
        }
        ++decks;
    }
    EXPECT_EQ(decks, 24);
}

}  // namespace
}  // namespace ef::test
