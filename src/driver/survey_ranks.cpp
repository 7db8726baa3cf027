#include "driver/survey_ranks.hpp"

#include <mpi.h>

#include <string>
#include <vector>

#include "driver/frequency_share.hpp"
#include "driver/survey_run.hpp"

namespace ef {

namespace {

constexpr int kMessageTag = 11;  // owner -> rank 0: the message of a failed solve
constexpr int kValuesTag = 12;   // owner -> rank 0: u1 and u2 of one frequency

// u1 then u2 of frequency index f, [shot][receiver], as doubles (re, im).
std::vector<double> frequency_values(SurveySpectra& s, int f) {
    std::vector<double> v;
    v.reserve(4 * static_cast<std::size_t>(s.shots()) * static_cast<std::size_t>(s.receivers()));
    for (int c = 1; c <= 2; ++c)
        for (int shot = 0; shot < s.shots(); ++shot)
            for (int r = 0; r < s.receivers(); ++r) {
                const Complex u = c == 1 ? s.u1(shot, r, f) : s.u2(shot, r, f);
                v.push_back(u.re);
                v.push_back(u.im);
            }
    return v;
}

void store_frequency_values(SurveySpectra& s, int f, const std::vector<double>& v) {
    std::size_t k = 0;
    for (int c = 1; c <= 2; ++c)
        for (int shot = 0; shot < s.shots(); ++shot)
            for (int r = 0; r < s.receivers(); ++r, k += 2)
                (c == 1 ? s.u1(shot, r, f) : s.u2(shot, r, f)) = Complex{v[k], v[k + 1]};
}

std::string gather(SurveySpectra& spectra, int failed_jw, const std::string& failure, int rank,
                   int ranks, int jw1, int jw2) {
    // The first failure in sweep order is the one of the highest frequency number.
    int first_failed = failed_jw;
    MPI_Allreduce(&failed_jw, &first_failed, 1, MPI_INT, MPI_MAX, MPI_COMM_WORLD);
    if (first_failed != 0) {
        const int owner = owner_of(first_failed, jw2, ranks);
        if (owner == 0) return failure;
        if (rank == owner) {
            MPI_Send(failure.data(), static_cast<int>(failure.size()), MPI_CHAR, 0, kMessageTag,
                     MPI_COMM_WORLD);
            return failure;
        }
        if (rank != 0) return "";
        MPI_Status status;
        MPI_Probe(owner, kMessageTag, MPI_COMM_WORLD, &status);
        int length = 0;
        MPI_Get_count(&status, MPI_CHAR, &length);
        std::string message(static_cast<std::size_t>(length), '\0');
        MPI_Recv(message.data(), length, MPI_CHAR, owner, kMessageTag, MPI_COMM_WORLD,
                 MPI_STATUS_IGNORE);
        return message;
    }
    for (int jw = jw2; jw >= jw1; --jw) {
        const int owner = owner_of(jw, jw2, ranks);
        if (owner == 0) continue;
        const int f = jw - jw1;
        if (rank == owner) {
            const std::vector<double> v = frequency_values(spectra, f);
            MPI_Send(v.data(), static_cast<int>(v.size()), MPI_DOUBLE, 0, kValuesTag, MPI_COMM_WORLD);
        } else if (rank == 0) {
            std::vector<double> v = frequency_values(spectra, f);
            MPI_Recv(v.data(), static_cast<int>(v.size()), MPI_DOUBLE, owner, kValuesTag,
                     MPI_COMM_WORLD, MPI_STATUS_IGNORE);
            store_frequency_values(spectra, f, v);
        }
    }
    return "";
}

}  // namespace

int run_survey_on_ranks(int argc, char** argv, std::ostream& out, std::ostream& err) {
    // The sequential MUMPS libraries carry stand-ins named MPI_Init,
    // MPI_Comm_rank and MPI_Finalize: the real ones through their profiling
    // entry points (as in driver/frequency_ranks.cpp).
    PMPI_Init(&argc, &argv);
    SurveyShare share;
    PMPI_Comm_rank(MPI_COMM_WORLD, &share.rank);
    MPI_Comm_size(MPI_COMM_WORLD, &share.ranks);
    share.all_set_up = [](bool set_up) {
        int mine = set_up ? 1 : 0, all = 0;
        MPI_Allreduce(&mine, &all, 1, MPI_INT, MPI_MIN, MPI_COMM_WORLD);
        return all == 1;
    };
    share.gather = [&share](SurveySpectra& spectra, const SurveySampling& band, int failed_jw,
                            const std::string& failure) {
        return gather(spectra, failed_jw, failure, share.rank, share.ranks, band.jw1, band.jw2);
    };
    const int status = run_survey(argc, argv, out, err, share);
    PMPI_Finalize();
    return status;
}

}  // namespace ef
