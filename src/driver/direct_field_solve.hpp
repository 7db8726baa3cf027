// The field of each frequency from one sparse direct solve of the global
// finite-element system, in place of the domain-decomposition iteration.
#pragma once

#include <memory>
#include <vector>

#include "common/complex.hpp"
#include "common/run_params.hpp"
#include "common/units.hpp"
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
    explicit DirectFieldSolver(const RunParams& p);
    ~DirectFieldSolver();

    const EdgeNumbering& numbering() const { return assembly_.numbering(); }

    // Orders and analyses the pattern of the grid, as the first solve would,
    // and returns the megabytes the analysis expects a factorisation to hold.
    double analyse();

    // The solution at frequency number jw (angular frequency omega), whose
    // element properties are set in el.
    DirectSolution compute(const RunParams& p, int jw, double omega, const BoundaryFlags& flags,
                           const ElementFields& el);

private:
    GlobalAssembly assembly_;
    std::unique_ptr<DirectSolver> solver_;
};

// Takes the solution of frequency jw into the sweep: prints its residual line
// (when the process prints), fills the eight current trace arrays, and
// returns the iteration count for the iteration log, 0.
int accept_direct_solution(Units& units, const ProcessGrid& a1, int jw,
                           const DirectSolution& solution, const EdgeNumbering& numbering,
                           InterfaceState& state);

}  // namespace ef
