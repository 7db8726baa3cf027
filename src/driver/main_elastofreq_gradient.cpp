// elastofreq_gradient SURVEY.toml OBSERVED.h5 [--weights=W1,W2,...]: the
// misfit of a survey's model against observed spectra and its gradient for
// full-waveform inversion (driver/gradient_run.hpp); built with
// ELASTOFREQ_MPI, the frequencies spread over the ranks of an MPI job. Run in
// the folder of the material files.
#include <iostream>

#include "driver/gradient_run.hpp"
#ifdef ELASTOFREQ_MPI
#include "driver/gradient_ranks.hpp"
#endif

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
#ifdef ELASTOFREQ_MPI
    return ef::run_gradient_on_ranks(argc, argv, std::cout, std::cerr);
#else
    return ef::run_gradient(argc, argv, std::cout, std::cerr);
#endif
}
