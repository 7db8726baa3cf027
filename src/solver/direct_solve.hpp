// Sparse direct solution of the global system with MUMPS (complex double
// precision, one process): the fill-reducing ordering and the symbolic
// analysis once for the sparsity pattern, then one LDL^T factorisation and
// solve per right-hand side and matrix values.
#pragma once

#include <memory>
#include <vector>

#include "common/complex.hpp"
#include "solver/global_system.hpp"

namespace ef {

class DirectSolver {
public:
    // Analyses the pattern of `pattern` (rows and columns only; the values
    // do not enter, so the analysis is the same whatever frequency comes first).
    explicit DirectSolver(const CoordinateSystem& pattern);
    ~DirectSolver();
    DirectSolver(const DirectSolver&) = delete;
    DirectSolver& operator=(const DirectSolver&) = delete;

    // Factorises the matrix of `s` (the analysed pattern) and solves with its
    // right-hand side. Throws RunError when MUMPS reports an error (a singular
    // matrix among them).
    std::vector<Complex> solve(const CoordinateSystem& s);

private:
    struct Mumps;
    std::unique_ptr<Mumps> mumps_;
};

}  // namespace ef
