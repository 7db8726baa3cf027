// The domain-decomposition iteration of one frequency: the Robin
// coefficients and the factorised row systems of the problem, then outer
// iterations (save, odd rows, even rows, relaxation, global error) until the
// global relative error falls below reduc or the iteration limit is reached.
// Its interface state is its own working storage, carried from one frequency
// to the next; what it hands on is the WaveField of the converged traces.
#pragma once

#include "common/run_context.hpp"
#include "solver/frequency_problem.hpp"
#include "solver/interface_state.hpp"
#include "solver/robin.hpp"
#include "solver/row_system.hpp"
#include "solver/row_team.hpp"
#include "solver/thread_workspaces.hpp"
#include "solver/wave_field.hpp"

namespace ef {

// Everything the iteration works on, sized from the run's grid.
struct IterationState {
    IterationState(int nx, int ny);

    RobinCoefficients beta;
    RowFactors factors;
    InterfaceState state;  // zeroed once per run, carried between frequencies
    ThreadWorkspaces workspaces;  // scratch of the row solves, one per thread
    double denomin = 0.0;  // kept from one frequency to the next, as the error test leaves it
};

// Outcome of the outer iteration of one frequency.
struct IterationResult {
    int iter;       // iterations done (itmax + 1 when not converged)
    double gerror;  // last global relative error
    bool converged;
};

// The Robin coefficients (inbeta) and the factorised row systems (coeflu of
// every row) of the problem.
void prepare_rows(const FrequencyProblem& pb, IterationState& it);

// One outer iteration (save, odd rows, even rows, relaxation and, when
// measure is set, the global error into gerror and it.denomin), its rows
// shared out within `team` (called by the team's thread 0; the workspaces
// reserved for the thread count).
//
// The relaxation leaves a copy of the relaxed state in the previous iterate,
// row by row while the row is in cache: what the next iteration's save
// would copy. previous_saved says that nothing has changed the state since
// (the previous call, with nothing in between), so the save is left out.
struct OuterStep {
    bool measure = true;
    bool previous_saved = false;
};
void outer_iteration(RowTeam& team, const FrequencyProblem& pb, IterationState& it,
                     OuterStep step, double& gerror);
// Whether the iteration of this grid is worth a team of more than one thread.
bool iteration_in_parallel(int nx, int ny);

// The outer iteration of one frequency whose row systems are prepared, with
// the iteration control of run.p and its messages on unit 6.
IterationResult iterate_frequency(const RunContext& run, const FrequencyProblem& pb,
                                  IterationState& it);

// prepare_rows, iterate_frequency, and the converged traces into `field`.
IterationResult solve_by_iteration(const RunContext& run, const FrequencyProblem& pb,
                                   IterationState& it, WaveField& field);

}  // namespace ef
