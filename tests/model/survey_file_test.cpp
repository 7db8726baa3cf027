// The survey file reader: a full file read back with its defaults, every kind
// of fault named by file, key and line, and the positions checked against the
// model's extent, edges included.
#include <gtest/gtest.h>

#include <string>

#include "common/stop.hpp"
#include "model/survey_file.hpp"

namespace ef {
namespace {

const char* const kSurvey = R"(deck = "model/deck.in"
[boundaries]
absorbing = "first-order"
[[shots]]
x = 200
y = 250.0
kind = "force_y"
[[shots]]
x = 10.0
y = 0.0
kind = "moment"
mxy = -2.5
amplitude = 3.0
[receivers]
from = [0.0, 300.0]
to = [1000.0, 300.0]
count = 3
)";

TEST(SurveyFile, ReadsEveryKeyAndFillsTheDefaults) {
    const Survey s = parse_survey(kSurvey, "runs/line1/survey.toml");
    EXPECT_EQ(s.deck, std::filesystem::path("runs/line1/model/deck.in"));
    EXPECT_EQ(s.deck_line, 1);
    EXPECT_TRUE(s.boundaries.free_top);
    EXPECT_EQ(s.boundaries.absorbing, AbsorbingBoundary::first_order);
    EXPECT_EQ(s.boundaries.pml_elements, 20);
    EXPECT_EQ(s.boundaries.pml_reflection, 1e-3);
    ASSERT_EQ(s.shots.size(), 2u);
    EXPECT_EQ(s.shots[0].x, 200.0);  // an integer where a number goes
    EXPECT_EQ(s.shots[0].kind, ShotKind::force_y);
    EXPECT_EQ(s.shots[0].amplitude, 1.0);
    EXPECT_EQ(s.shots[1].kind, ShotKind::moment);
    EXPECT_EQ(s.shots[1].mxy, -2.5);
    EXPECT_EQ(s.shots[1].mxx, 0.0);
    EXPECT_EQ(s.shots[1].amplitude, 3.0);
    EXPECT_EQ(s.shots[1].line, 9);
    // The ends of a receiver line exactly where the file puts them.
    EXPECT_EQ(s.receiver_x, (std::vector<double>{0.0, 500.0, 1000.0}));
    EXPECT_EQ(s.receiver_y, (std::vector<double>{300.0, 300.0, 300.0}));
    // A line along an edge stays exactly on it ((2/3) 240 + (1/3) 240 > 240).
    std::string edge = kSurvey;
    edge.replace(edge.find("from = [0.0, 300.0]"), std::string("from = [0.0, 300.0]\nto = [1000.0, 300.0]\ncount = 3").size(),
                 "from = [0.0, 240.0]\nto = [300.0, 240.0]\ncount = 7");
    for (const double y : parse_survey(edge, "s.toml").receiver_y) EXPECT_EQ(y, 240.0);
    EXPECT_EQ(s.output_name, "survey");
    std::string absolute = kSurvey;
    absolute.replace(0, absolute.find('\n'), "deck = \"/abs/d.in\"");
    EXPECT_EQ(parse_survey(absolute, "x/s.toml").deck.string(), "/abs/d.in")
        << "an absolute deck path is taken as it is";
    // Non-ASCII text in comments and strings, quotes and escapes around it.
    std::string accented = kSurvey;
    accented.replace(0, accented.find('\n'),
                     "deck = '\xc3\x96l\\\"' # Schuss \xc3\xbcber \"\nx_ = \"\\\"\xc3\xbc\"");
    try {
        parse_survey(accented, "s.toml");
        ADD_FAILURE() << "x_ is an unknown key";
    } catch (const RunError& e) {
        EXPECT_EQ(std::string(e.what()).rfind("s.toml:2: x_: unknown key", 0), 0u) << e.what();
    }
}

TEST(SurveyFile, EveryFaultNamesFileKeyAndLine) {
    const std::string head = "deck = \"d.in\"\n";  // line 1
    const std::string shot = "[[shots]]\nx = 1.0\ny = 2.0\nkind = \"explosion\"\n";  // lines 2-5
    const std::string receivers = "[receivers]\nx = [1.0, 2.0]\ny = [3.0, 4.0]\n";
    struct Case {
        std::string text;
        const char* where;  // "LINE: KEY: "
        const char* what;
    };
    const Case cases[] = {
        {"deck = \"d.in\"\nshot = 1\n", "2: shot: ", "unknown key"},
        {"[boundaries]\n" + shot + receivers, "1: deck: ", "missing required key"},
        {"deck = 5\n", "1: deck: ", "expected a string, found an integer"},
        {head + receivers, "1: shots: ", "missing required key"},
        {head + "shots = []\n" + receivers, "2: shots: ", "no shot given"},
        {head + shot + "[[shots]]\nx = 1.0\ny = 2.0\nkind = \"forcey\"\n" + receivers,
         "9: shots[2].kind: ", "\"forcey\" is not one of \"force_x\", \"force_y\""},
        {head + "[[shots]]\nx = inf\ny = 2.0\nkind = \"explosion\"\n" + receivers,
         "3: shots[1].x: ", "not a finite number"},
        {head + "[[shots]]\ny = 2.0\nkind = \"explosion\"\n" + receivers, "2: shots[1].x: ",
         "missing required key"},
        {head + shot + "mxx = 1.0\n" + receivers, "6: shots[1].mxx: ", "unknown key"},
        {head + "[[shots]]\nx = 1.0\ny = 2.0\nkind = \"moment\"\n" + receivers,
         "2: shots[1].mxx: ", "a moment shot needs mxx, myy or mxy"},
        {head + shot + "[receivers]\nx = [1.0, nan]\ny = [3.0, 4.0]\n", "7: receivers.x[2]: ",
         "not a finite number"},
        {head + shot + "[receivers]\nx = [1.0, 2.0]\ny = [3.0]\n", "8: receivers.y: ",
         "1 values where receivers.x has 2"},
        {head + shot + "[receivers]\nx = [1.0, \"2\"]\ny = [3.0, 4.0]\n", "7: receivers.x[2]: ",
         "expected a number, found a string"},
        {head + shot + "[receivers]\nfrom = [0.0, 1.0]\nto = [2.0, 1.0]\ncount = 0\n",
         "9: receivers.count: ", "0 receivers"},
        {head + shot + "[receivers]\nfrom = [0.0]\nto = [2.0, 1.0]\ncount = 2\n",
         "7: receivers.from: ", "expected [x, y]"},
        {head + shot + "[receivers]\nfrom = [0.0, 1.0]\nx = [1.0]\n", "6: receivers: ",
         "either x and y, or from, to and count"},
        {head + shot + "[receivers]\n", "6: receivers.x: ", "missing required key"},
        {head + "[boundaries]\ntop = \"rigid\"\n" + shot + receivers, "3: boundaries.top: ",
         "\"rigid\" is not one of \"free\", \"absorbing\""},
        {head + "[boundaries]\npml_elements = 2.5\n" + shot + receivers,
         "3: boundaries.pml_elements: ", "expected an integer, found a floating-point number"},
        {head + "[boundaries]\npml_reflection = 1.0\n" + shot + receivers,
         "3: boundaries.pml_reflection: ", "not a reflection coefficient"},
        {head + "[boundaries]\npml_velocity = -3.0\n" + shot + receivers,
         "3: boundaries.pml_velocity: ", "a velocity must be positive"},
        {head + "[boundaries]\nbottom = \"free\"\n" + shot + receivers, "3: boundaries.bottom: ",
         "unknown key"},
        {head + shot + receivers + "[output]\nname = \"out/run\"\n", "10: output.name: ",
         "not a file name"},
        {head + "boundaries = 3\n" + shot + receivers, "2: boundaries: ",
         "expected a table, found an integer"},
        {head + "[[shots]]\nx = 1.0\ny = = 2\n", "4: ", "TOML syntax error"},
        {head + "# \xc3\xbc\n'\xc3\xbc' = 1\n\xc3\xbc = 1\n", "3: ", "a non-ASCII character outside a string value"},
        {head + "x = \"\"\"a \\\n  \xc3\xbc\"\"\"\n", "2: ", "after a backslash (and blanks)"},
    };
    for (const Case& c : cases) {
        try {
            parse_survey(c.text, "dir/s.toml");
            ADD_FAILURE() << "accepted:\n" << c.text;
        } catch (const RunError& e) {
            const std::string message = e.what();
            EXPECT_EQ(message.rfind(std::string("dir/s.toml:") + c.where, 0), 0u) << message;
            EXPECT_NE(message.find(c.what), std::string::npos) << message;
        }
    }
}

TEST(SurveyFile, AFileThatCannotBeRead) {
    for (const char* file : {"/nonexistent/s.toml", "/"}) {
        try {
            read_survey_file(file);
            ADD_FAILURE() << file;
        } catch (const RunError& e) {
            EXPECT_EQ(std::string(e.what()), std::string(file) + ": cannot open the survey file");
        }
    }
}

TEST(SurveyFile, PositionsInsideTheModelEdgesIncluded) {
    RunParams p;
    p.xsize = 1000.0;
    p.ysize = 300.0;
    Survey s = parse_survey(kSurvey, "survey.toml");
    s.shots[0].x = 1000.0;  // the right edge belongs to the model
    check_survey_positions(s, p);

    const auto message = [&](const Survey& bad) {
        try {
            check_survey_positions(bad, p);
        } catch (const RunError& e) {
            return std::string(e.what());
        }
        return std::string("accepted");
    };
    Survey shot_out = s;
    shot_out.shots[1].y = -1e-9;
    EXPECT_EQ(message(shot_out).rfind("survey.toml:9: shots[2]: the shot at (10, -1e-09) m is"
                                      " outside the model", 0),
              0u)
        << message(shot_out);
    Survey receiver_out = parse_survey(
        "deck = \"d\"\n[[shots]]\nx = 1.0\ny = 1.0\nkind = \"force_x\"\n[receivers]\n"
        "x = [1.0,\n 1000.5]\ny = [0.0, 300.0]\n",
        "survey.toml");
    EXPECT_EQ(message(receiver_out).rfind("survey.toml:8: receivers.x[2]: receiver 2 at (1000.5,"
                                          " 300) m is outside the model", 0),
              0u)
        << message(receiver_out);
}

}  // namespace
}  // namespace ef
