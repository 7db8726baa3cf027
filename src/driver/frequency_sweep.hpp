// The frequency sweep: for every frequency number from jw2 down to jw1, the
// element properties, the wave field from the run's field solve (the
// domain-decomposition iteration, or a direct solve), then the logs, the
// snapshot sums, the receiver spectra and the frequency-domain snapshots of
// that frequency, all from the field.
#pragma once

#include <functional>

#include "common/run_context.hpp"
#include "model/material_files.hpp"
#include "output/receivers.hpp"
#include "output/snapshots.hpp"
#include "solver/element_fields.hpp"
#include "solver/frequency_problem.hpp"
#include "solver/wave_field.hpp"

namespace ef {

// The frequencies whose outer iteration reached its limit before the error
// fell below reduc, and the largest error such a frequency was left with.
struct ConvergenceTally {
    int not_converged = 0;
    double worst_error = 0.0;
};

// What the sweep fills, sized from the run's grid.
struct SweepState {
    explicit SweepState(const RunParams& p);

    ElementFields fields;  // the element properties of the current frequency
    WaveField field;       // the wave field of the current frequency
    SnapshotSums sums;
    ReceiverSpectra spectra;
    int first_nonfinite_jw = 0;  // first frequency (in sweep order) whose field is not finite; 0: none
    ConvergenceTally convergence;  // of the iteration's frequencies, for the end of the run
};

// How the wave field of one frequency is found once its problem is set: it
// fills `field` and returns the count that goes to the iteration log.
using FieldSolve =
    std::function<int(const RunContext& run, const FrequencyProblem& problem, WaveField& field)>;

// The domain decomposition, with its working storage sized from p's grid and
// kept from one frequency to the next.
// Each frequency that does not converge is counted in `tally`, which must
// outlive the solve.
FieldSolve iterative_field_solve(const RunParams& p, ConvergenceTally& tally);

// Everything of the run the sweep reads.
struct SweepInputs {
    const ProcessGrid& a1;  // the block layout of the element properties
    const BoundaryFlags& flags;
    const MaterialModuli& moduli;
};

// The whole sweep over jw = jw2 .. jw1.
void frequency_sweep(const RunContext& run, const SweepInputs& in, SweepState& s,
                     const FieldSolve& solve);

}  // namespace ef
