#include "driver/frequency_sweep.hpp"

#include <algorithm>
#include <memory>

#include "driver/element_properties.hpp"
#include "driver/progress.hpp"
#include "model/sampling.hpp"
#include "solver/outer_iteration.hpp"

namespace ef {

SweepState::SweepState(const RunParams& p)
    : fields(p.nx, p.ny), field(p.nx, p.ny), sums(p.nx, p.ny, p.nsnapt) {}

FieldSolve iterative_field_solve(const RunParams& p, ConvergenceTally& tally) {
    auto it = std::make_shared<IterationState>(p.nx, p.ny);
    return [it, &tally](const RunContext& run, const FrequencyProblem& problem, WaveField& field) {
        const IterationResult result = solve_by_iteration(run, problem, *it, field);
        if (!result.converged) {
            ++tally.not_converged;
            tally.worst_error = std::max(tally.worst_error, result.gerror);
        }
        return result.iter;
    };
}

void frequency_sweep(const RunContext& run, const SweepInputs& in, SweepState& s,
                     const FieldSolve& solve) {
    static const Format frequency_line("(/1x,' frequency number ',i5,' frequency : ',e20.8)");
    static const Format source_line("(1x,'jw  real sour, imag sour =',i7,2x,e15.5,2x,e15.5)");
    static const Format iteration_log("(i7,2x,i7)");
    const RunParams& p = run.p;
    Units& units = run.units;

    if (p.jw2 >= p.jw1) check_border_velocities(p, in.a1, in.moduli);

    SweepProgress progress(p.jw1, p.jw2);
    for (int jw = p.jw2; jw >= p.jw1; --jw) {
        const double fjw = frequency_of(jw, p);
        if (run.prints) {
            units.write(6, frequency_line, {jw, fjw});
            units.write(6, source_line, {jw, p.sour[jw].re, p.sour[jw].im});
        }
        set_element_properties(units, p, in.a1, in.moduli, jw, fjw, true, s.fields);
        if (jw == p.jw2) write_model_files(units, p.nx, p.ny, s.fields);

        const FrequencyProblem problem =
            frequency_problem(p, jw, angular_frequency(fjw), s.fields, in.flags);
        const int iter = solve(run, problem, s.field);
        if (s.first_nonfinite_jw == 0 && !s.field.finite()) s.first_nonfinite_jw = jw;
        units.write(14, iteration_log, {jw, iter});
        progress.frequency_done(jw, iter);

        if (p.keyqua == 1)
            finvpic1(p, jw, s.field, s.sums);
        else
            finvpic2(p, jw, s.field, s.sums);
        savtrace(p, jw, s.field, s.spectra);
        write_frequency_snapshots(units, p, jw, s.field);
    }
    progress.finish();
}

}  // namespace ef
