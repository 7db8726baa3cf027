// elastofreq_check: the model check: set-up of the first frequency, then stop 3435 (row limit 801).
#include <iostream>

#include "driver/program.hpp"

int main() {
    std::ios::sync_with_stdio(false);
    return ef::run_program(ef::ProgramKind::check, ef::BuildLimits{ELASTOFREQ_ROW_LIMIT}, std::cin,
                           std::cout, std::cerr);
}
