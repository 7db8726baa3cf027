// The outputs of a survey are all written or none: a failure in any of them
// (here a coordinate no SEG-Y header holds, and spectra that do not match the
// band) leaves the folder as it was, temporary files included.
#include <gtest/gtest.h>

#include "common/stop.hpp"
#include "output/survey_files.hpp"
#include "support/scratch_dir.hpp"

namespace ef {
namespace {

TEST(SurveyFiles, AFailureLeavesNothingBehind) {
    Survey survey = parse_survey(
        "deck = \"d\"\n[[shots]]\nx = 1.0\ny = 1.0\nkind = \"force_y\"\n"
        "[receivers]\nx = [0.0, 1.0]\ny = [0.0, 0.0]\n",
        "s.toml");
    SurveySampling sampling{.jw1 = 1, .jw2 = 2, .keyqua = 1, .nt = 8, .dt = 0.5, .delw = 0.1,
                            .frequency_khz = {0.0, 0.1},
                            .source_spectrum = {{1.0, 0.0}, {1.0, 0.0}}};
    const test::ScratchDir dir;
    const auto files = [&] { return dir.files().size(); };

    survey.receiver_x[1] = 3.0e7;  // 3e9 cm: beyond a 32-bit header field
    EXPECT_THROW(write_survey_files(dir.str(), survey, sampling, SurveySpectra(1, 2, 2)), RunError);
    EXPECT_EQ(files(), 0u);

    survey.receiver_x[1] = 1.0;
    sampling.source_spectrum.pop_back();  // the HDF5 file, written last, fails
    EXPECT_THROW(write_survey_files(dir.str(), survey, sampling, SurveySpectra(1, 2, 2)), RunError);
    EXPECT_EQ(files(), 0u);

    sampling.source_spectrum.push_back({1.0, 0.0});
    EXPECT_EQ(write_survey_files(dir.str(), survey, sampling, SurveySpectra(1, 2, 2)).size(), 3u);
    EXPECT_EQ(files(), 3u);
}

}  // namespace
}  // namespace ef
