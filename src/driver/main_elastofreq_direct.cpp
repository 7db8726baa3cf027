// elastofreq_direct: the files of elastofreq, with the field of each frequency
// from a sparse direct solve of the global system (row limit 801). Built with
// ELASTOFREQ_MPI, the frequencies are spread over the ranks of an MPI job.
#include <iostream>

#include "driver/frequency_pipeline.hpp"
#include "driver/program.hpp"
#ifdef ELASTOFREQ_MPI
#include "driver/frequency_ranks.hpp"
#endif

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    const ef::BuildLimits limits{ELASTOFREQ_ROW_LIMIT};
#ifdef ELASTOFREQ_MPI
    return ef::run_direct_on_ranks(argc, argv, limits, std::cin, std::cout, std::cerr);
#else
    (void)argc;
    (void)argv;
    return ef::run_program(ef::ProgramKind::direct, limits, std::cin, std::cout, std::cerr,
                           [](const ef::RunSetup& run) { return ef::pipelined_direct_field_solve(run); });
#endif
}
