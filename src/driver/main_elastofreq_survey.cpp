// elastofreq_survey SURVEY.toml: shots at points, receivers anywhere, a free
// surface and a perfectly matched layer, one factorisation per frequency for
// every shot (driver/survey_run.hpp); built with ELASTOFREQ_MPI, the
// frequencies spread over the ranks of an MPI job. Run in the folder of the
// material files.
#include <iostream>

#include "driver/survey_run.hpp"
#ifdef ELASTOFREQ_MPI
#include "driver/survey_ranks.hpp"
#endif

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
#ifdef ELASTOFREQ_MPI
    return ef::run_survey_on_ranks(argc, argv, std::cout, std::cerr);
#else
    return ef::run_survey(argc, argv, std::cout, std::cerr);
#endif
}
