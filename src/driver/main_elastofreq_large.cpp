// elastofreq_large: the solver for larger grids (its source records go to fort.20 .. fort.23) (row limit 801).
#include <iostream>

#include "driver/program.hpp"

int main() {
    std::ios::sync_with_stdio(false);
    return ef::run_program(ef::ProgramKind::large, ef::BuildLimits{ELASTOFREQ_ROW_LIMIT}, std::cin,
                           std::cout, std::cerr);
}
