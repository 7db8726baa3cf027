// Which rank of an MPI job solves which frequency: frequency t of the sweep
// (t = 0 for jw2, the sweep running down to jw1) belongs to rank
// t mod (number of ranks). elastofreq_direct and elastofreq_survey share it.
#pragma once

#include <vector>

#include "common/run_params.hpp"

namespace ef {

int owner_of(int jw, int jw2, int ranks);

// The frequencies of one rank, in sweep order.
std::vector<int> frequencies_of_rank(const RunParams& p, int rank, int ranks);

}  // namespace ef
