// MUMPS, sequential, complex double precision, symmetric (not Hermitian)
// matrix given by its lower triangle in coordinate form. Its dense kernels
// come from OpenBLAS (linked ahead of the system's BLAS, see CMakeLists.txt),
// single-threaded: the cores go to whole frequencies instead
// (driver/frequency_pipeline.hpp).
#include "solver/direct_solve.hpp"

#include <time.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <optional>

#include <zmumps_c.h>

#include "common/stop.hpp"
#include "solver/nested_dissection.hpp"

namespace ef {

namespace {

constexpr MUMPS_INT kInitialise = -1;
constexpr MUMPS_INT kTerminate = -2;
constexpr MUMPS_INT kAnalyse = 1;
constexpr MUMPS_INT kFactorise = 2;
constexpr MUMPS_INT kSolve = 3;
constexpr MUMPS_INT kUseCommWorld = -987654;  // the one process of the sequential library
constexpr MUMPS_INT kSymmetric = 2;           // general symmetric: LDL^T with 2 x 2 pivots
constexpr MUMPS_INT kUserOrdering = 1;        // ICNTL(7): the order in PERM_IN
constexpr MUMPS_INT kLowRankFactors = 2;      // ICNTL(35): factorise and solve with BLR factors
constexpr MUMPS_INT kSparseRightHandSides = 1;  // ICNTL(20): sparse, MUMPS prunes the tree
constexpr MUMPS_INT kWorkspaceErrors[] = {-8, -9, -14, -15, -17, -20};

struct OrderingEntry {
    Ordering ordering;
    const char* name;
    MUMPS_INT icntl7;  // MUMPS's code; kUserOrdering for the orders given in PERM_IN
};
// Every ordering on offer. The built-in ones run on one thread, so each gives
// the same order whatever processors the process may use; SCOTCH and PORD
// serve the benchmarks (PORD is not sound on the smallest systems).
constexpr std::array<OrderingEntry, 7> kOrderings{{
    {Ordering::grid_dissection, "grid", kUserOrdering},
    {Ordering::nested_dissection, "metis", kUserOrdering},
    {Ordering::approximate_minimum_fill, "amf", 2},
    {Ordering::approximate_minimum_degree, "amd", 0},
    {Ordering::quasi_dense_minimum_degree, "qamd", 6},
    {Ordering::scotch, "scotch", 3},
    {Ordering::pord, "pord", 4},
}};

const OrderingEntry& entry(Ordering ordering) {
    for (const OrderingEntry& e : kOrderings)
        if (e.ordering == ordering) return e;
    return kOrderings[0];
}

// MUMPS numbers its controls from 1, as its documentation does.
MUMPS_INT& icntl(ZMUMPS_STRUC_C& id, int k) { return id.icntl[k - 1]; }
MUMPS_INT infog(const ZMUMPS_STRUC_C& id, int k) { return id.infog[k - 1]; }
double rinfog(const ZMUMPS_STRUC_C& id, int k) { return id.rinfog[k - 1]; }

// INFOG(k) counts in millions when it is negative.
long long count(const ZMUMPS_STRUC_C& id, int k) {
    const long long v = infog(id, k);
    return v < 0 ? -v * 1000000LL : v;
}

double thread_cpu_seconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

std::string mumps_failure(const ZMUMPS_STRUC_C& id, const char* phase) {
    return std::string("direct solver: MUMPS ") + phase + " failed with INFOG(1) = " +
           std::to_string(infog(id, 1)) + ", INFOG(2) = " + std::to_string(infog(id, 2));
}

// Solvers in several threads may share one statistics file: whole lines.
void append_line(const std::string& file, const std::string& line) {
    static std::mutex mutex;
    const std::lock_guard<std::mutex> lock(mutex);
    if (std::FILE* f = std::fopen(file.c_str(), "a")) {
        std::fputs((line + "\n").c_str(), f);
        std::fclose(f);
    }
}

}  // namespace

const char* ordering_name(Ordering ordering) { return entry(ordering).name; }

DirectSolverOptions direct_options_from_environment() {
    DirectSolverOptions options;
    if (const char* name = std::getenv("ELASTOFREQ_DIRECT_ORDERING"); name && *name) {
        bool known = false;
        for (const OrderingEntry& e : kOrderings)
            if (std::string(name) == e.name) {
                options.ordering = e.ordering;
                known = true;
            }
        if (!known)
            throw RunError(std::string("ELASTOFREQ_DIRECT_ORDERING: unknown ordering '") + name +
                           "' (grid, metis, amf, amd, qamd, scotch or pord)");
    }
    if (const char* tolerance = std::getenv("ELASTOFREQ_DIRECT_LOW_RANK"); tolerance && *tolerance) {
        char* end = nullptr;
        options.low_rank_tolerance = std::strtod(tolerance, &end);
        if (*end != '\0' || !(options.low_rank_tolerance >= 0.0 && options.low_rank_tolerance < 1.0))
            throw RunError(std::string("ELASTOFREQ_DIRECT_LOW_RANK: '") + tolerance +
                           "' is not a tolerance between 0 and 1");
    }
    if (const char* file = std::getenv("ELASTOFREQ_DIRECT_STATISTICS")) options.statistics_file = file;
    return options;
}

std::string factorisation_line(const FactorisationRecord& r) {
    char line[256];
    std::snprintf(line, sizeof line,
                  "unknowns %d ordering %s operations %.4e factor_entries %lld wall_s %.3f cpu_s "
                  "%.3f gflops_wall %.3f gflops_cpu %.3f",
                  r.unknowns, ordering_name(r.ordering), r.operations, r.factor_entries,
                  r.wall_seconds, r.cpu_seconds,
                  r.wall_seconds > 0.0 ? 1e-9 * r.operations / r.wall_seconds : 0.0,
                  r.cpu_seconds > 0.0 ? 1e-9 * r.operations / r.cpu_seconds : 0.0);
    return line;
}

struct DirectSolver::Mumps {
    ZMUMPS_STRUC_C id{};
    DirectSolverOptions options;
    std::vector<MUMPS_INT> irn, jcn, perm_in;
    std::vector<ZMUMPS_COMPLEX> a, rhs;
    FactorisationRecord last;
    double estimated_megabytes = 0.0;
    double estimated_operations = 0.0;
    bool factorised = false;
    std::vector<MUMPS_INT> sparse_start, sparse_row;  // the sparse right-hand sides
    std::vector<ZMUMPS_COMPLEX> sparse_value;

    void run(MUMPS_INT job, const char* phase) {
        id.job = job;
        zmumps_c(&id);
        if (infog(id, 1) < 0) throw RunError(mumps_failure(id, phase));
    }
};

DirectSolver::DirectSolver(const CoordinateSystem& pattern, const DirectSolverOptions& options)
    : mumps_(std::make_unique<Mumps>()) {
    ZMUMPS_STRUC_C& id = mumps_->id;
    mumps_->options = options;
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
    icntl(id, 14) = 40;  // working space margin, percent
    if (options.low_rank_tolerance > 0.0) {
        icntl(id, 35) = kLowRankFactors;
        id.cntl[7 - 1] = options.low_rank_tolerance;
    }

    Ordering ordering = options.ordering;
    if (ordering == Ordering::grid_dissection && options.order.size() == static_cast<std::size_t>(pattern.n)) {
        mumps_->perm_in.assign(options.order.begin(), options.order.end());
    } else if (ordering == Ordering::grid_dissection || ordering == Ordering::nested_dissection) {
        ordering = Ordering::nested_dissection;
        if (std::optional<std::vector<int>> order = nested_dissection_order(pattern))
            mumps_->perm_in.assign(order->begin(), order->end());
        else
            ordering = Ordering::approximate_minimum_fill;
    }
    icntl(id, 7) = entry(ordering).icntl7;
    mumps_->last.ordering = ordering;
    mumps_->last.unknowns = pattern.n;
    id.perm_in = mumps_->perm_in.empty() ? nullptr : mumps_->perm_in.data();

    mumps_->irn.assign(pattern.row.begin(), pattern.row.end());
    mumps_->jcn.assign(pattern.column.begin(), pattern.column.end());
    id.n = pattern.n;
    id.nnz = static_cast<MUMPS_INT8>(pattern.row.size());
    id.irn = mumps_->irn.data();
    id.jcn = mumps_->jcn.data();
    id.a = nullptr;
    if (id.n > 0) {
        mumps_->run(kAnalyse, "analysis");
        mumps_->estimated_megabytes = infog(id, 17);  // in core, this one process
        mumps_->estimated_operations = rinfog(id, 1);
    }
}

DirectSolver::~DirectSolver() {
    mumps_->id.job = kTerminate;
    zmumps_c(&mumps_->id);
}

Ordering DirectSolver::ordering() const { return mumps_->last.ordering; }

double DirectSolver::estimated_megabytes() const { return mumps_->estimated_megabytes; }

double DirectSolver::estimated_operations() const { return mumps_->estimated_operations; }

const FactorisationRecord& DirectSolver::last_factorisation() const { return mumps_->last; }

std::vector<Complex> DirectSolver::solve(const CoordinateSystem& s) {
    std::vector<Complex> x(s.rhs.begin(), s.rhs.end());
    x.resize(static_cast<std::size_t>(s.n));
    if (s.n == 0) return x;
    factorise(s);
    solve_factorised(x, 1);
    if (!mumps_->options.statistics_file.empty())
        append_line(mumps_->options.statistics_file, factorisation_line(mumps_->last));
    return x;
}

void DirectSolver::factorise(const CoordinateSystem& s) {
    ZMUMPS_STRUC_C& id = mumps_->id;
    mumps_->factorised = false;
    if (s.n == 0) return;
    mumps_->a.resize(s.value.size());
    for (std::size_t e = 0; e < s.value.size(); ++e) mumps_->a[e] = {s.value[e].re, s.value[e].im};
    id.a = mumps_->a.data();

    // More working space when the estimate of the analysis falls short.
    const auto wall_start = std::chrono::steady_clock::now();
    const double cpu_start = thread_cpu_seconds();
    for (int attempt = 0;; ++attempt) {
        id.job = kFactorise;
        zmumps_c(&id);
        bool workspace = false;
        for (MUMPS_INT code : kWorkspaceErrors) workspace = workspace || infog(id, 1) == code;
        if (!workspace || attempt == 4) break;
        icntl(id, 14) *= 2;
    }
    if (infog(id, 1) < 0) throw RunError(mumps_failure(id, "factorisation"));
    FactorisationRecord& last = mumps_->last;
    last.cpu_seconds = thread_cpu_seconds() - cpu_start;
    last.wall_seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - wall_start).count();
    // With low-rank blocks, the operations and entries that compression leaves.
    const bool low_rank = mumps_->options.low_rank_tolerance > 0.0;
    last.operations = rinfog(id, low_rank ? 14 : 3);
    last.factor_entries = count(id, low_rank ? 35 : 29);
    mumps_->factorised = true;
}

void DirectSolver::solve_factorised(std::vector<Complex>& block, int columns, bool sparse) {
    ZMUMPS_STRUC_C& id = mumps_->id;
    if (id.n == 0 || columns <= 0) return;
    if (!mumps_->factorised) throw RunError("direct solver: a solve before any factorisation");
    const std::size_t n = static_cast<std::size_t>(id.n);
    if (block.size() != n * static_cast<std::size_t>(columns))
        throw RunError("direct solver: a block of right-hand sides of the wrong size");
    mumps_->rhs.resize(block.size());
    if (sparse) {
        std::vector<MUMPS_INT>& start = mumps_->sparse_start;
        std::vector<MUMPS_INT>& row = mumps_->sparse_row;
        std::vector<ZMUMPS_COMPLEX>& value = mumps_->sparse_value;
        start.assign(1, 1);
        row.clear();
        value.clear();
        for (std::size_t r = 0; r < block.size(); ++r) {
            if (block[r].re != 0.0 || block[r].im != 0.0) {
                row.push_back(static_cast<MUMPS_INT>(r % n + 1));
                value.push_back({block[r].re, block[r].im});
            }
            if ((r + 1) % n == 0) start.push_back(static_cast<MUMPS_INT>(row.size() + 1));
        }
        icntl(id, 20) = kSparseRightHandSides;
        id.nz_rhs = static_cast<MUMPS_INT>(row.size());
        id.irhs_ptr = start.data();
        id.irhs_sparse = row.data();
        id.rhs_sparse = value.data();
    } else {
        icntl(id, 20) = 0;  // dense
        for (std::size_t r = 0; r < block.size(); ++r) mumps_->rhs[r] = {block[r].re, block[r].im};
    }
    id.rhs = mumps_->rhs.data();
    id.nrhs = columns;
    id.lrhs = id.n;
    mumps_->run(kSolve, "solve");
    for (std::size_t r = 0; r < block.size(); ++r) block[r] = {mumps_->rhs[r].r, mumps_->rhs[r].i};
}

}  // namespace ef
