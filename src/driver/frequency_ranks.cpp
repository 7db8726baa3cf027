#include "driver/frequency_ranks.hpp"

#include <mpi.h>

#include <iterator>
#include <memory>
#include <sstream>
#include <string>

#include "common/stop.hpp"
#include "driver/direct_field_solve.hpp"
#include "driver/frequency_pipeline.hpp"
#include "driver/frequency_share.hpp"
#include "driver/program.hpp"
#include "model/sampling.hpp"

namespace ef {

namespace {

constexpr int kRequestTag = 1;   // rank 0 -> owner: the frequency wanted, or kFinish
constexpr int kHeaderTag = 2;    // owner -> rank 0: how the solve went
constexpr int kPayloadTag = 3;   // owner -> rank 0: the solution, or the error message
constexpr int kFinish = -1;      // no more frequencies: the run is over

struct Header {
    int failed = 0;          // 1: the solve threw a run error; the payload is its message
    int payload_length = 0;  // doubles of the solution, or characters of the message
    double residual = 0.0;
};

// Side by side on one process only: the ranks of a job already spread the
// frequencies over the cores, and Open MPI may object to a rank that forks.
int threads_of_rank(int ranks) { return ranks == 1 ? frequency_threads() : 1; }

std::string broadcast_deck(std::istream& in, int rank) {
    std::string deck;
    if (rank == 0) deck.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    long long length = static_cast<long long>(deck.size());
    MPI_Bcast(&length, 1, MPI_LONG_LONG, 0, MPI_COMM_WORLD);
    deck.resize(static_cast<std::size_t>(length));
    if (length > 0) MPI_Bcast(deck.data(), static_cast<int>(length), MPI_CHAR, 0, MPI_COMM_WORLD);
    return deck;
}

// Rank 0: the solution of frequency jw from its owner.
DirectSolution fetch_solution(int owner, int jw) {
    MPI_Send(&jw, 1, MPI_INT, owner, kRequestTag, MPI_COMM_WORLD);
    Header header;
    MPI_Recv(&header, sizeof header, MPI_BYTE, owner, kHeaderTag, MPI_COMM_WORLD, MPI_STATUS_IGNORE);
    if (header.failed != 0) {
        std::string message(static_cast<std::size_t>(header.payload_length), '\0');
        MPI_Recv(message.data(), header.payload_length, MPI_CHAR, owner, kPayloadTag,
                 MPI_COMM_WORLD, MPI_STATUS_IGNORE);
        throw RunError(message);
    }
    DirectSolution solution;
    solution.residual = header.residual;
    solution.x.resize(static_cast<std::size_t>(header.payload_length / 2));
    MPI_Recv(reinterpret_cast<double*>(solution.x.data()), header.payload_length, MPI_DOUBLE,
             owner, kPayloadTag, MPI_COMM_WORLD, MPI_STATUS_IGNORE);
    return solution;
}

// A rank other than 0: rank 0's next request.
int next_request() {
    int request = kFinish;
    MPI_Recv(&request, 1, MPI_INT, 0, kRequestTag, MPI_COMM_WORLD, MPI_STATUS_IGNORE);
    return request;
}

void send_solution(const DirectSolution& solution) {
    const Header header{0, static_cast<int>(2 * solution.x.size()), solution.residual};
    MPI_Send(&header, sizeof header, MPI_BYTE, 0, kHeaderTag, MPI_COMM_WORLD);
    MPI_Send(reinterpret_cast<const double*>(solution.x.data()), header.payload_length, MPI_DOUBLE,
             0, kPayloadTag, MPI_COMM_WORLD);
}

void send_failure(const std::string& message) {
    const Header header{1, static_cast<int>(message.size()), 0.0};
    MPI_Send(&header, sizeof header, MPI_BYTE, 0, kHeaderTag, MPI_COMM_WORLD);
    MPI_Send(message.data(), header.payload_length, MPI_CHAR, 0, kPayloadTag, MPI_COMM_WORLD);
}

int run_rank_zero(const BuildLimits& limits, const std::string& deck, std::ostream& out,
                  std::ostream& err, int ranks) {
    std::istringstream deck_in(deck);
    const FieldSolveFactory make_solve = [ranks](const RunSetup& run) {
        auto pipeline = std::make_shared<FrequencyPipeline>(
            run, frequencies_of_rank(run.p, 0, ranks), threads_of_rank(ranks));
        const int jw2 = run.p.jw2;
        return direct_field_solve(run.p, [pipeline, ranks, jw2](int jw) {
            const int owner = owner_of(jw, jw2, ranks);
            return owner == 0 ? pipeline->take(jw) : fetch_solution(owner, jw);
        });
    };
    const int status = run_program(ProgramKind::direct, limits, deck_in, out, err, make_solve);
    int finish = kFinish;
    for (int r = 1; r < ranks; ++r) MPI_Send(&finish, 1, MPI_INT, r, kRequestTag, MPI_COMM_WORLD);
    return status;
}

// The frequencies of one rank other than 0, in sweep order. The set-up and
// the element properties are those of rank 0, written nowhere; a stop or an
// error there also ends rank 0's run at this frequency or before it.
void run_other_rank(const BuildLimits& limits, const std::string& deck, int rank, int ranks) {
    std::istringstream deck_in(deck);
    std::ostream nowhere(nullptr);
    Units units(deck_in, nowhere, ".", FileOutput::discarded);
    try {
        CpuTimer timer;
        RunSetup run;
        set_up_run(units, ProgramKind::direct, limits, timer, run);
        const std::vector<int> frequencies = frequencies_of_rank(run.p, rank, ranks);
        FrequencyPipeline solver(run, frequencies, threads_of_rank(ranks));
        for (const int jw : frequencies) {
            DirectSolution solution;
            std::string failure;
            try {
                solution = solver.take(jw);
            } catch (const RunError& e) {
                failure = e.what();
            }
            const int request = next_request();
            if (request == kFinish) return;
            if (request != jw)  // cannot happen: both sides walk the band in sweep order
                failure = "frequency " + std::to_string(request) +
                          " was asked of the rank that holds " + std::to_string(jw);
            if (failure.empty())
                send_solution(solution);
            else
                send_failure(failure);
        }
    } catch (const StopRun&) {
    } catch (const PlainStop&) {
    } catch (const RunError&) {
    }
    // Nothing more to solve: answer until rank 0 is done.
    for (;;) {
        const int request = next_request();
        if (request == kFinish) return;
        send_failure("rank " + std::to_string(rank) + " holds no solution of frequency " +
                     std::to_string(request));
    }
}

}  // namespace

int run_direct_on_ranks(int argc, char** argv, BuildLimits limits, std::istream& in,
                        std::ostream& out, std::ostream& err) {
    // The sequential MUMPS libraries carry stand-ins named MPI_Init,
    // MPI_Comm_rank, MPI_Finalize and MPI_Wtime for their one process: those
    // are called through the MPI library's profiling entry points, so that the
    // real ones run whatever the order in which the libraries are linked.
    PMPI_Init(&argc, &argv);
    int rank = 0, ranks = 1;
    PMPI_Comm_rank(MPI_COMM_WORLD, &rank);
    MPI_Comm_size(MPI_COMM_WORLD, &ranks);
    const std::string deck = broadcast_deck(in, rank);
    int status = 0;
    if (rank == 0)
        status = run_rank_zero(limits, deck, out, err, ranks);
    else
        run_other_rank(limits, deck, rank, ranks);
    PMPI_Finalize();
    return status;
}

}  // namespace ef
