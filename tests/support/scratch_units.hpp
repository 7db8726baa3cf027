// A unit table whose files go to a scratch folder, with an empty standard
// input and the standard output kept: for routines that write through units.
#pragma once

#include <sstream>

#include "common/units.hpp"
#include "support/scratch_dir.hpp"

namespace ef::test {

struct ScratchUnits {
    ScratchDir dir;
    std::istringstream in;
    std::ostringstream out;
    Units units{in, out, dir.str()};
};

}  // namespace ef::test
