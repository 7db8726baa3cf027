// What the ranks of an MPI job bring to rank 0 after a sweep whose
// frequencies they shared (frequency t of the sweep on rank t mod ranks,
// driver/frequency_share.hpp): the first failure in sweep order, and each
// frequency's numbers from the rank that solved it, copied, never summed.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace ef {

// Starts MPI and gives this process's rank and the number of ranks. The
// sequential MUMPS libraries carry stand-ins named MPI_Init, MPI_Comm_rank and
// MPI_Finalize: the real ones are reached through their profiling entry
// points (as in driver/frequency_ranks.cpp). finish_mpi() ends it.
void start_mpi(int& argc, char**& argv, int& rank, int& ranks);
void finish_mpi();

// True on every rank when every rank's set-up succeeded. Call on every rank.
bool all_ranks_set_up(bool set_up);

struct SweepRanks {
    int rank = 0, ranks = 1;
    int jw1 = 1, jw2 = 0;  // the sweep's band
};

// failed_jw: this rank's first failed frequency in sweep order (0: none),
// failure its message. Empty on every rank when no frequency failed; else on
// rank 0 the message of the sweep's first failure, the one a single process
// would have reported, and on the other ranks their own message when that
// failure is rank 0's or their own, "" otherwise. Call on every rank.
std::optional<std::string> first_failure(const SweepRanks& sweep, int failed_jw,
                                         const std::string& failure);

// values[f] holds the numbers of frequency jw1 + f on the rank that solved
// it, equally long on every rank; afterwards rank 0 holds every frequency's.
void gather_frequency_values(const SweepRanks& sweep, std::vector<std::vector<double>>& values);

}  // namespace ef
