// elastofreq_survey SURVEY.toml: shots at points, receivers anywhere, a free
// surface and a perfectly matched layer, one factorisation per frequency for
// every shot (driver/survey_run.hpp). Run in the folder of the material files.
#include <iostream>

#include "driver/survey_run.hpp"

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    return ef::run_survey(argc, argv, std::cout, std::cerr);
}
