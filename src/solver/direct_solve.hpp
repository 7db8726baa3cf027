// Sparse direct solution of the global system with MUMPS (complex double
// precision, one process): the fill-reducing ordering and the symbolic
// analysis once for the sparsity pattern, then one LDL^T factorisation and
// solve per right-hand side and matrix values.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "common/complex.hpp"
#include "solver/global_system.hpp"

namespace ef {

// Fill-reducing orderings: the grid's own nested dissection (the default,
// given by the caller that knows the grid: solver/grid_dissection.hpp), a
// nested dissection of the bare pattern by METIS (what the grid's comes to
// when no grid is known), or one of those built into MUMPS.
enum class Ordering {
    grid_dissection,
    nested_dissection,
    approximate_minimum_fill,
    approximate_minimum_degree,
    quasi_dense_minimum_degree,
    scotch,
    pord,
};

const char* ordering_name(Ordering ordering);

struct DirectSolverOptions {
    Ordering ordering = Ordering::grid_dissection;
    // > 0: MUMPS's block low-rank factorisation, blocks compressed to this
    // relative accuracy, for measurements: on these two-dimensional grids it
    // saves a few per cent of the operations and costs accuracy
    // (bench/README.md). 0: the full-rank factorisation, exact to rounding.
    double low_rank_tolerance = 0.0;
    // The pivot position (1-based) of each unknown when the ordering is the
    // grid's; empty: METIS orders the pattern instead.
    std::vector<int> order;
    // Not empty: each factorisation appends a line of its figures to this
    // file (for the benchmarks; see factorisation_line).
    std::string statistics_file;
};

// The options of the environment: ELASTOFREQ_DIRECT_ORDERING (an
// ordering_name), ELASTOFREQ_DIRECT_LOW_RANK (a tolerance) and
// ELASTOFREQ_DIRECT_STATISTICS (a file name). Throws RunError on a value it
// cannot read.
DirectSolverOptions direct_options_from_environment();

// What MUMPS reports of one factorisation.
struct FactorisationRecord {
    Ordering ordering = Ordering::nested_dissection;  // the one used
    int unknowns = 0;
    double operations = 0.0;         // floating-point operations of the elimination
    long long factor_entries = 0;    // entries in the factors
    double wall_seconds = 0.0;       // of the factorisation alone
    double cpu_seconds = 0.0;        // of the calling thread, the factorisation alone
};

// One line of text: unknowns, ordering, operations, factor entries, wall and
// CPU seconds, and the operation rates (per wall and per CPU second).
std::string factorisation_line(const FactorisationRecord& r);

class DirectSolver {
public:
    // Orders and analyses the pattern of `pattern` (rows and columns only;
    // the values do not enter, so the analysis is the same whatever frequency
    // comes first). METIS's nested dissection falls back to approximate
    // minimum fill on systems too small for it.
    explicit DirectSolver(const CoordinateSystem& pattern,
                          const DirectSolverOptions& options = direct_options_from_environment());
    ~DirectSolver();
    DirectSolver(const DirectSolver&) = delete;
    DirectSolver& operator=(const DirectSolver&) = delete;

    // Factorises the matrix of `s` (the analysed pattern) and solves with its
    // right-hand side. Throws RunError when MUMPS reports an error (a singular
    // matrix among them).
    std::vector<Complex> solve(const CoordinateSystem& s);

    // The two halves of solve, for several right-hand sides per matrix:
    // factorise the matrix of `s` once, then solve for `columns` right-hand
    // sides of n entries each, stored one after the other in `block`, which
    // the solutions replace (one forward and one backward substitution per
    // block). Throws RunError as solve does; solving before any
    // factorisation is a RunError too.
    // With `sparse`, the block goes to MUMPS as sparse right-hand sides (its
    // nonzero entries only), which lets it skip the parts of the forward
    // elimination that a column's few loads never reach: a point source
    // loads one element.
    void factorise(const CoordinateSystem& s);
    void solve_factorised(std::vector<Complex>& block, int columns, bool sparse = false);

    // The ordering the analysis used.
    Ordering ordering() const;
    // What the analysis expects of one factorisation: the megabytes it holds
    // in memory and its operations.
    double estimated_megabytes() const;
    double estimated_operations() const;
    // Figures of the last solve.
    const FactorisationRecord& last_factorisation() const;

private:
    struct Mumps;
    std::unique_ptr<Mumps> mumps_;
};

}  // namespace ef
