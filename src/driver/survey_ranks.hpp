// elastofreq_survey over the ranks of an MPI job: frequency t of the sweep is
// solved by rank t mod (number of ranks) (driver/frequency_share.hpp), each
// rank with its own factorisation and every shot. Every rank reads the survey
// and its files; rank 0 gathers the receivers' values of the other ranks'
// frequencies (copied, never summed) and alone writes the files, by the same
// code as on one process: the files are the same for any number of ranks.
#pragma once

#include <iosfwd>

namespace ef {

// Initialises and finalises MPI around the run; returns the exit status.
int run_survey_on_ranks(int argc, char** argv, std::ostream& out, std::ostream& err);

}  // namespace ef
