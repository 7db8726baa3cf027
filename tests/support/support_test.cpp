// The helpers other tests lean on, where a fault would hide rather than show:
// a run that hangs is killed at its timeout and fails the test, and a deck
// edit keeps a fixed-format field in its columns or says it found nothing.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <stdexcept>
#include <string>

#include "support/program_runner.hpp"
#include "support/records.hpp"

namespace ef::test {
namespace {

TEST(Support, RunPastItsTimeoutIsKilledAndFails) {
    ProgramResult r;
    EXPECT_NONFATAL_FAILURE(r = run_in_child([] { ::pause(); }, {.timeout_seconds = 1}), "was killed");
    EXPECT_EQ(r.status, -1);
}

TEST(Support, WithRecordKeepsTheColumnsOfTheField) {
    const std::string deck = "  500   maxlow: limit\n              1.0e-3   reduc\n2.0   ros(1)\n";
    EXPECT_EQ(with_record(deck, "maxlow", "20000"),
              "20000   maxlow: limit\n              1.0e-3   reduc\n2.0   ros(1)\n");
    EXPECT_EQ(with_record(deck, "reduc", "1.0e-12"),
              "  500   maxlow: limit\n             1.0e-12   reduc\n2.0   ros(1)\n");
    EXPECT_EQ(with_record(deck, "ros(1)", "2.45"), "  500   maxlow: limit\n              1.0e-3   reduc\n2.45   ros(1)\n");
    EXPECT_THROW(with_record(deck, "nmat", "2"), std::invalid_argument);
}

}  // namespace
}  // namespace ef::test
