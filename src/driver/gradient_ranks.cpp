#include "driver/gradient_ranks.hpp"


#include "driver/frequency_gather.hpp"
#include "driver/gradient_run.hpp"

namespace ef {

int run_gradient_on_ranks(int argc, char** argv, std::ostream& out, std::ostream& err) {
    GradientShare share;
    start_mpi(argc, argv, share.rank, share.ranks);
    share.all_set_up = all_ranks_set_up;
    share.gather = [&share](std::vector<std::vector<double>>& values, int jw1, int jw2,
                            int failed_jw, const std::string& failure) {
        const SweepRanks sweep{share.rank, share.ranks, jw1, jw2};
        if (const auto first = first_failure(sweep, failed_jw, failure)) return *first;
        gather_frequency_values(sweep, values);
        return std::string();
    };
    const int status = run_gradient(argc, argv, out, err, share);
    finish_mpi();
    return status;
}

}  // namespace ef
