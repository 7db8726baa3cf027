// The deck a survey names: read silently, and every way the deck reader ends
// early reported as a fault of the survey file's deck key, status 2.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "driver/survey_deck.hpp"
#include "support/deck_builder.hpp"
#include "support/run_error.hpp"
#include "support/scratch_dir.hpp"

namespace ef {
namespace {

std::string survey_text(double receiver_x) {
    return "# a survey\ndeck = \"deck.in\"\n[[shots]]\nx = 100.0\ny = 80.0\nkind = \"explosion\"\n"
           "[receivers]\nx = [0.0, " + std::to_string(receiver_x) + "]\ny = [80.0, 80.0]\n";
}

// The message of the fault, or "" when the deck is accepted.
std::string fault(const test::ScratchDir& dir, const test::DeckBuilder& deck,
                  double receiver_x = 50.0) {
    dir.write("deck.in", deck.text());
    const Survey survey = parse_survey(survey_text(receiver_x), dir.path() / "s.toml");
    return test::run_error_of([&] {
        const RunParams p = read_survey_deck(survey, BuildLimits{801});
        EXPECT_EQ(p.xsize, 100.0);
        EXPECT_EQ(p.ysize, 80.0);
    });
}

TEST(SurveyDeck, DeckFaultsStopsAndPositionsAsSurveyFaults) {
    const test::ScratchDir dir;
    const std::string where = dir.str() + "/s.toml:2: deck: ";
    const std::string deck = dir.str() + "/deck.in";

    test::DeckBuilder good;  // 10 x 8 elements of 10 m
    EXPECT_EQ(fault(dir, good, 100.0), "") << "a shot on a corner, a receiver on the right edge";
    EXPECT_EQ(dir.files(), std::vector<std::string>{"deck.in"})
        << "the deck reader's own files went elsewhere";
    EXPECT_EQ(fault(dir, good, 100.01),
              dir.str() + "/s.toml:8: receivers.x[2]: receiver 2 at (100.01, 80) m is outside the"
                          " model: the model of " + deck +
                  " spans x = 0 to 100 m and y = 0 to 80 m, its edges included");

    test::DeckBuilder rejected;
    rejected.nsx = 0;
    EXPECT_EQ(fault(dir, rejected), where + "the deck " + deck + " is rejected: input deck: nsx = 0"
                                    " (record 3): the number of subdomains in x must be at least 1");
    test::DeckBuilder too_large;
    too_large.ngx = 900;
    EXPECT_EQ(fault(dir, too_large),
              where + "the deck reader stops on " + deck + " with code 77: more elements in a row"
                      " or column of a block than the program takes (docs/deck.md, exit statuses)");
    test::DeckBuilder one_receiver;
    one_receiver.nrec = 1;
    EXPECT_EQ(fault(dir, one_receiver).rfind(where + "the deck reader ends the run on " + deck +
                                             " before the model is complete", 0),
              0u);

    Survey missing = parse_survey(survey_text(50.0), dir.path() / "s.toml");
    missing.deck = dir.path() / "none.in";
    EXPECT_EQ(test::run_error_of([&] { read_survey_deck(missing, BuildLimits{801}); }),
              where + "cannot open the deck " + dir.str() + "/none.in");
}

// The shipped survey example reads as its README describes it: the deck's
// model, three shots and 79 receivers, all at element centres (on an edge a
// point would belong to whichever element the search meets first).
TEST(SurveyDeck, TheShippedSurveyExampleReads) {
    const Survey survey = read_survey_file(std::filesystem::path(ELASTOFREQ_SOURCE_DIR) /
                                           "examples/survey_layered/survey.toml");
    const RunParams p = read_survey_deck(survey, BuildLimits{801});
    EXPECT_EQ(p.nx, 160);
    EXPECT_EQ(p.ny, 80);
    EXPECT_EQ(p.h, 5.0);
    EXPECT_TRUE(survey.boundaries.free_top);
    EXPECT_EQ(survey.boundaries.absorbing, AbsorbingBoundary::pml);
    ASSERT_EQ(survey.shots.size(), 3u);
    ASSERT_EQ(survey.receiver_x.size(), 79u);
    // (receivers spread from `from` to `to` carry the rounding of the spread)
    const auto centred = [&](double v) { return std::abs(std::fmod(v / p.h, 1.0) - 0.5) < 1e-9; };
    for (const Shot& s : survey.shots)
        EXPECT_TRUE(centred(s.x) && centred(s.y)) << s.x << ", " << s.y;
    for (std::size_t r = 0; r < survey.receiver_x.size(); ++r) {
        const double x = survey.receiver_x[r], y = survey.receiver_y[r];
        EXPECT_TRUE(centred(x) && std::abs(y - 397.5) < 1e-9) << "receiver " << r + 1 << " at " << x;
    }
}

}  // namespace
}  // namespace ef
