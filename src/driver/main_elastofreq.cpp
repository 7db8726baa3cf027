// elastofreq: the standard solver (row limit 602).
#include <iostream>

#include "driver/program.hpp"

int main() {
    std::ios::sync_with_stdio(false);
    return ef::run_program(ef::ProgramKind::standard, ef::BuildLimits{ELASTOFREQ_ROW_LIMIT}, std::cin,
                           std::cout, std::cerr);
}
