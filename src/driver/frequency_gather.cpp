#include "driver/frequency_gather.hpp"

#include <mpi.h>

#include "driver/frequency_share.hpp"

namespace ef {

namespace {

constexpr int kMessageTag = 11;  // owner -> rank 0: the message of a failed solve
constexpr int kValuesTag = 12;   // owner -> rank 0: the numbers of one frequency

}  // namespace

void start_mpi(int& argc, char**& argv, int& rank, int& ranks) {
    PMPI_Init(&argc, &argv);
    PMPI_Comm_rank(MPI_COMM_WORLD, &rank);
    MPI_Comm_size(MPI_COMM_WORLD, &ranks);
}

void finish_mpi() { PMPI_Finalize(); }

bool all_ranks_set_up(bool set_up) {
    int mine = set_up ? 1 : 0, all = 0;
    MPI_Allreduce(&mine, &all, 1, MPI_INT, MPI_MIN, MPI_COMM_WORLD);
    return all == 1;
}

std::optional<std::string> first_failure(const SweepRanks& sweep, int failed_jw,
                                         const std::string& failure) {
    // The first failure in sweep order is the one of the highest frequency number.
    int first_failed = failed_jw;
    MPI_Allreduce(&failed_jw, &first_failed, 1, MPI_INT, MPI_MAX, MPI_COMM_WORLD);
    if (first_failed == 0) return std::nullopt;
    const int owner = owner_of(first_failed, sweep.jw2, sweep.ranks);
    if (owner == 0) return failure;
    if (sweep.rank == owner) {
        MPI_Send(failure.data(), static_cast<int>(failure.size()), MPI_CHAR, 0, kMessageTag,
                 MPI_COMM_WORLD);
        return failure;
    }
    if (sweep.rank != 0) return std::string();
    MPI_Status status;
    MPI_Probe(owner, kMessageTag, MPI_COMM_WORLD, &status);
    int length = 0;
    MPI_Get_count(&status, MPI_CHAR, &length);
    std::string message(static_cast<std::size_t>(length), '\0');
    MPI_Recv(message.data(), length, MPI_CHAR, owner, kMessageTag, MPI_COMM_WORLD,
             MPI_STATUS_IGNORE);
    return message;
}

void gather_frequency_values(const SweepRanks& sweep, std::vector<std::vector<double>>& values) {
    for (int jw = sweep.jw2; jw >= sweep.jw1; --jw) {
        const int owner = owner_of(jw, sweep.jw2, sweep.ranks);
        if (owner == 0) continue;
        std::vector<double>& v = values[static_cast<std::size_t>(jw - sweep.jw1)];
        if (sweep.rank == owner)
            MPI_Send(v.data(), static_cast<int>(v.size()), MPI_DOUBLE, 0, kValuesTag, MPI_COMM_WORLD);
        else if (sweep.rank == 0)
            MPI_Recv(v.data(), static_cast<int>(v.size()), MPI_DOUBLE, owner, kValuesTag,
                     MPI_COMM_WORLD, MPI_STATUS_IGNORE);
    }
}

}  // namespace ef
