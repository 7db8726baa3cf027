// The frequency sweep: for every frequency number from jw2 down to jw1, the
// element properties, the Robin coefficients, the factorised row systems and
// the odd/even outer iteration of the domain decomposition until the global
// relative error falls below reduc; then the logs, the snapshot sums, the
// receiver spectra and the frequency-domain snapshots of that frequency.
#pragma once

#include <functional>

#include "common/run_params.hpp"
#include "common/units.hpp"
#include "model/material_files.hpp"
#include "output/receivers.hpp"
#include "output/snapshots.hpp"
#include "solver/element_fields.hpp"
#include "solver/interface_state.hpp"
#include "solver/robin.hpp"
#include "solver/row_team.hpp"
#include "solver/row_system.hpp"
#include "solver/thread_workspaces.hpp"

namespace ef {

// Everything the sweep works on, sized from the run's grid.
struct SweepState {
    SweepState(const RunParams& p);

    ElementFields fields;
    RobinCoefficients beta;
    RowFactors factors;
    InterfaceState state;  // zeroed once per run, carried between frequencies
    SnapshotSums sums;
    ReceiverSpectra spectra;
    ThreadWorkspaces workspaces;  // scratch of the row solves, one per thread
    double denomin = 0.0;  // kept from one frequency to the next, as the error test leaves it
    int first_nonfinite_jw = 0;  // first frequency (in sweep order) whose field is not finite; 0: none
    int not_converged = 0;       // frequencies whose outer iteration reached its limit
    double worst_gerror = 0.0;   // the largest error such a frequency was left with
};

// Outcome of the outer iteration of one frequency.
struct IterationResult {
    int iter;       // iterations done (itmax + 1 when not converged)
    double gerror;  // last global relative error
    bool converged;
};

// One outer iteration (save, odd rows, even rows, relaxation and, when
// measure is set, the global error into gerror and s.denomin), its rows
// shared out within `team` (called by the team's thread 0; the workspaces
// reserved for the thread count).
//
// The relaxation leaves a copy of the relaxed state in the previous iterate,
// row by row while the row is in cache: what the next iteration's save
// would copy. previous_saved says that nothing has changed the state since
// (the previous call, with nothing in between), so the save is left out.
void outer_iteration(RowTeam& team, const RunParams& p, int jw, const BoundaryFlags& flags,
                     SweepState& s, bool measure, double& gerror, bool previous_saved = false);
// Whether the iteration of this grid is worth a team of more than one thread.
bool iteration_in_parallel(const RunParams& p);

// The outer iteration of one frequency whose row systems are factorised.
IterationResult iterate_frequency(Units& units, const RunParams& p, const ProcessGrid& a1,
                                  int jw, const BoundaryFlags& flags, SweepState& s);

// How the wave field of one frequency is found once the element properties
// are set: it leaves the field in s.state and returns the count that goes to
// the iteration log.
using FieldSolve = std::function<int(Units& units, const RunParams& p, const ProcessGrid& a1,
                                     int jw, double omega, const BoundaryFlags& flags,
                                     SweepState& s)>;

// Angular frequency of the frequency fjw (kHz): fjw 6.28318530717958.
double angular_frequency(double fjw);

// The domain decomposition: Robin coefficients, factorised row systems and
// the outer iteration.
int iterative_field_solve(Units& units, const RunParams& p, const ProcessGrid& a1, int jw,
                          double omega, const BoundaryFlags& flags, SweepState& s);

// The whole sweep over jw = jw2 .. jw1.
void frequency_sweep(Units& units, const RunParams& p, const ProcessGrid& a1,
                     const BoundaryFlags& flags, const MaterialModuli& moduli, SweepState& s,
                     const FieldSolve& solve = iterative_field_solve);

}  // namespace ef
