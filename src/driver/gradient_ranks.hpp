// elastofreq_gradient over the ranks of an MPI job: frequency t of the sweep
// on rank t mod (number of ranks), each with its own factorisation; rank 0
// gathers every frequency's misfit and gradient (copied, never summed) and
// adds them in increasing frequency, as one process does: the file is the
// same for any number of ranks.
#pragma once

#include <iosfwd>

namespace ef {

int run_gradient_on_ranks(int argc, char** argv, std::ostream& out, std::ostream& err);

}  // namespace ef
