// elastofreq_gradient SURVEY.toml OBSERVED.h5 [--weights=W1,W2,...]: the
// misfit of the survey's model (its deck and material files, per element)
// against observed receiver spectra in elastofreq_survey's HDF5 layout, and
// its gradient with respect to every element's P modulus, S modulus and
// density, written to NAME_gradient.h5 (driver/survey_gradient.hpp; the same
// numbers as the Python module's misfit_and_gradient on the same model).
#pragma once

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

namespace ef {

// How the frequencies are shared among the ranks of an MPI job; the default
// is one process that solves them all.
struct GradientShare {
    int rank = 0, ranks = 1;
    // After the set-up of every rank: true when all of them succeeded.
    std::function<bool(bool set_up)> all_set_up = [](bool set_up) { return set_up; };
    // After the solves: brings every frequency's numbers (values[f], solved by
    // one rank) to rank 0, and returns the message of the sweep's first
    // failure ("" for none) as survey's gather does. failed_jw: this rank's
    // first failed frequency in sweep order (0: none), failure its message.
    std::function<std::string(std::vector<std::vector<double>>& values, int jw1, int jw2,
                              int failed_jw, const std::string& failure)>
        gather = [](std::vector<std::vector<double>>&, int, int, int, const std::string& failure) {
            return failure;
        };
};

// The whole program from its command line. Returns the exit status: 0, or 2
// with a message on `err` for a usage error or any bad input, with no output
// file left behind. Only rank 0 writes its file, summary and messages.
int run_gradient(int argc, char** argv, std::ostream& out, std::ostream& err,
                 const GradientShare& share = {});

}  // namespace ef
