// What the steps of a run share besides their data: the unit table the
// records go to, the run parameters, and whether this process prints the
// run's messages (every run is one process, which prints; the ranks of
// elastofreq_direct other than 0 solve without printing).
#pragma once

#include "common/run_params.hpp"
#include "common/units.hpp"

namespace ef {

struct RunContext {
    Units& units;
    const RunParams& p;
    bool prints = true;
};

}  // namespace ef
