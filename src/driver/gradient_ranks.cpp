#include "driver/gradient_ranks.hpp"

#include <mpi.h>

#include "driver/frequency_gather.hpp"
#include "driver/gradient_run.hpp"

namespace ef {

int run_gradient_on_ranks(int argc, char** argv, std::ostream& out, std::ostream& err) {
    // MPI through its profiling entry points, past the sequential MUMPS
    // libraries' stand-ins (as in driver/survey_ranks.cpp).
    PMPI_Init(&argc, &argv);
    GradientShare share;
    PMPI_Comm_rank(MPI_COMM_WORLD, &share.rank);
    MPI_Comm_size(MPI_COMM_WORLD, &share.ranks);
    share.all_set_up = [](bool set_up) {
        int mine = set_up ? 1 : 0, all = 0;
        MPI_Allreduce(&mine, &all, 1, MPI_INT, MPI_MIN, MPI_COMM_WORLD);
        return all == 1;
    };
    share.gather = [&share](std::vector<std::vector<double>>& values, int jw1, int jw2,
                            int failed_jw, const std::string& failure) {
        const SweepRanks sweep{share.rank, share.ranks, jw1, jw2};
        if (const auto first = first_failure(sweep, failed_jw, failure)) return *first;
        gather_frequency_values(sweep, values);
        return std::string();
    };
    const int status = run_gradient(argc, argv, out, err, share);
    PMPI_Finalize();
    return status;
}

}  // namespace ef
