// The field of each frequency from one sparse direct solve of the global
// finite-element system, in place of the domain-decomposition iteration.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "common/complex.hpp"
#include "common/run_context.hpp"
#include "driver/frequency_sweep.hpp"
#include "solver/direct_solve.hpp"
#include "solver/global_system.hpp"

namespace ef {

// The solution of one frequency: the two components at every edge midpoint
// and the relative residual of the solve.
struct DirectSolution {
    std::vector<Complex> x;
    double residual = 0.0;
};

// The global assembly of the grid and its analysed direct solver, made on
// the first solve and kept for every frequency of the run.
class DirectFieldSolver {
public:
    // The grid of nx by ny elements.
    DirectFieldSolver(int nx, int ny);
    ~DirectFieldSolver();

    const EdgeNumbering& numbering() const { return assembly_.numbering(); }

    // Orders and analyses the pattern of the grid, as the first solve would,
    // and returns the megabytes the analysis expects a factorisation to hold.
    double analyse();

    // The solution of the problem of one frequency.
    DirectSolution compute(const FrequencyProblem& problem);

private:
    GlobalAssembly assembly_;
    std::unique_ptr<DirectSolver> solver_;
};

// The solution of frequency jw when another process has solved it, or none
// when it is to be solved here.
using RemoteSolution = std::function<std::optional<DirectSolution>(int jw)>;

// The field solve of elastofreq_direct: every frequency is solved here
// unless `remote` has its solution. Prints the residual line of each
// frequency (when the process prints), makes the field from the solution,
// and returns the iteration count for the iteration log, 0.
FieldSolve direct_field_solve(const RunParams& p, RemoteSolution remote = {});

}  // namespace ef
