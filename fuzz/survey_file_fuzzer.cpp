// Fuzz target: the survey file reader. Any byte sequence must end in a parsed
// survey or a RunError naming the fault; never in a crash, a hang, undefined
// behaviour or an allocation out of proportion to the input. A parsed survey
// is also checked against a model of 1000 m by 300 m, as after the deck.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "common/run_params.hpp"
#include "common/stop.hpp"
#include "model/survey_file.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    try {
        const ef::Survey survey = ef::parse_survey(text, "survey.toml");
        ef::RunParams p;
        p.xsize = 1000.0;
        p.ysize = 300.0;
        ef::check_survey_positions(survey, p);
    } catch (const ef::RunError&) {
    }
    return 0;
}
