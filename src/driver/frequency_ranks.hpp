// elastofreq_direct over the ranks of an MPI job. Frequency t of the sweep
// (t = 0 for jw2) is solved by rank t mod (number of ranks), each rank with
// the sequential direct solver. Every rank reads the deck (rank 0's standard
// input, broadcast) and the material files; the ranks other than 0 discard
// what they would write. Rank 0 runs the program: it asks the owner of each
// frequency for its solution in sweep order, so that every file and line is
// written by rank 0 alone, by the same code and in the same order as on one
// process: the files are the same for any number of ranks.
#pragma once

#include <iosfwd>

#include "common/run_params.hpp"

namespace ef {

// Initialises and finalises MPI around the run; returns rank 0's exit status
// on rank 0 and 0 on the others.
int run_direct_on_ranks(int argc, char** argv, BuildLimits limits, std::istream& in,
                        std::ostream& out, std::ostream& err);

}  // namespace ef
