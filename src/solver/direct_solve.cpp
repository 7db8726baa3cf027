// MUMPS, sequential, complex double precision, symmetric (not Hermitian)
// matrix given by its lower triangle in coordinate form.
#include "solver/direct_solve.hpp"

#include <string>

#include <zmumps_c.h>

#include "common/stop.hpp"

namespace ef {

namespace {

constexpr MUMPS_INT kInitialise = -1;
constexpr MUMPS_INT kTerminate = -2;
constexpr MUMPS_INT kAnalyse = 1;
constexpr MUMPS_INT kFactoriseAndSolve = 5;
constexpr MUMPS_INT kUseCommWorld = -987654;  // the one process of the sequential library
constexpr MUMPS_INT kSymmetric = 2;           // general symmetric: LDL^T with 2 x 2 pivots
// Approximate minimum fill (AMF): on these grids as good as the nested
// dissections on offer, sound on the smallest systems (PORD is not), and run
// on one thread, so the ordering, and with it every bit of the solution, is
// the same whatever processors the process may use (the threaded SCOTCH
// ordering is not).
constexpr MUMPS_INT kOrderingAmf = 2;
constexpr MUMPS_INT kWorkspaceErrors[] = {-8, -9, -14, -15, -17, -20};

// MUMPS numbers its controls from 1, as its documentation does.
MUMPS_INT& icntl(ZMUMPS_STRUC_C& id, int k) { return id.icntl[k - 1]; }
MUMPS_INT infog(const ZMUMPS_STRUC_C& id, int k) { return id.infog[k - 1]; }

}  // namespace

struct DirectSolver::Mumps {
    ZMUMPS_STRUC_C id{};
    std::vector<MUMPS_INT> irn, jcn;
    std::vector<ZMUMPS_COMPLEX> a, rhs;

    void run(MUMPS_INT job, const char* phase) {
        id.job = job;
        zmumps_c(&id);
        if (infog(id, 1) < 0)
            throw RunError(std::string("direct solver: MUMPS ") + phase + " failed with INFOG(1) = " +
                           std::to_string(infog(id, 1)) + ", INFOG(2) = " +
                           std::to_string(infog(id, 2)));
    }
};

DirectSolver::DirectSolver(const CoordinateSystem& pattern) : mumps_(std::make_unique<Mumps>()) {
    ZMUMPS_STRUC_C& id = mumps_->id;
    id.comm_fortran = kUseCommWorld;
    id.par = 1;
    id.sym = kSymmetric;
    mumps_->run(kInitialise, "initialisation");
    icntl(id, 1) = -1;  // no error, diagnostic, global or statistics output
    icntl(id, 2) = -1;
    icntl(id, 3) = -1;
    icntl(id, 4) = 0;
    icntl(id, 6) = 0;   // no value-dependent column permutation: the analysis
    icntl(id, 12) = 1;  // sees the pattern only
    icntl(id, 7) = kOrderingAmf;
    icntl(id, 14) = 40;  // working space margin, percent

    mumps_->irn.assign(pattern.row.begin(), pattern.row.end());
    mumps_->jcn.assign(pattern.column.begin(), pattern.column.end());
    id.n = pattern.n;
    id.nnz = static_cast<MUMPS_INT8>(pattern.row.size());
    id.irn = mumps_->irn.data();
    id.jcn = mumps_->jcn.data();
    id.a = nullptr;
    if (id.n > 0) mumps_->run(kAnalyse, "analysis");
}

DirectSolver::~DirectSolver() {
    mumps_->id.job = kTerminate;
    zmumps_c(&mumps_->id);
}

std::vector<Complex> DirectSolver::solve(const CoordinateSystem& s) {
    ZMUMPS_STRUC_C& id = mumps_->id;
    std::vector<Complex> x(static_cast<std::size_t>(s.n));
    if (s.n == 0) return x;

    mumps_->a.resize(s.value.size());
    for (std::size_t e = 0; e < s.value.size(); ++e) mumps_->a[e] = {s.value[e].re, s.value[e].im};
    mumps_->rhs.resize(s.rhs.size());
    id.a = mumps_->a.data();
    id.rhs = mumps_->rhs.data();
    id.nrhs = 1;
    id.lrhs = s.n;

    // More working space when the estimate of the analysis falls short.
    for (int attempt = 0;; ++attempt) {
        for (std::size_t r = 0; r < s.rhs.size(); ++r) mumps_->rhs[r] = {s.rhs[r].re, s.rhs[r].im};
        id.job = kFactoriseAndSolve;
        zmumps_c(&id);
        bool workspace = false;
        for (MUMPS_INT code : kWorkspaceErrors) workspace = workspace || infog(id, 1) == code;
        if (!workspace || attempt == 4) break;
        icntl(id, 14) *= 2;
    }
    if (infog(id, 1) < 0)
        throw RunError("direct solver: MUMPS factorisation failed with INFOG(1) = " +
                       std::to_string(infog(id, 1)) + ", INFOG(2) = " + std::to_string(infog(id, 2)));

    for (std::size_t r = 0; r < x.size(); ++r) x[r] = {mumps_->rhs[r].r, mumps_->rhs[r].i};
    return x;
}

}  // namespace ef
