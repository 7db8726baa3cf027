#include "driver/frequency_sweep.hpp"

#include <algorithm>
#include <atomic>
#include <optional>
#include <thread>
#include <vector>

#include "driver/element_properties.hpp"
#include "driver/field_check.hpp"
#include "driver/progress.hpp"
#include "solver/row_team.hpp"
#include "solver/sweep.hpp"

namespace ef {

namespace {
constexpr double kTwoPi = 6.28318530717958;
}

double angular_frequency(double fjw) { return fjw * kTwoPi; }

SweepState::SweepState(const RunParams& p)
    : fields(p.nx, p.ny), beta(p.nx, p.ny), factors(p.nx, p.ny), state(p.nx, p.ny),
      sums(p.nx, p.ny, p.nsnapt), workspaces(p.nx) {}

bool iteration_in_parallel(const RunParams& p) { return rows_in_parallel(p.nx, p.ny / 2); }

namespace {

int odd_rows_to(int ny) { return (ny % 2 != 0) ? ny : ny - 1; }
int even_rows_to(int ny) { return (ny % 2 == 0) ? ny : ny - 1; }

// The odd pass of an outer iteration as items of the team: the groups of odd
// rows, saving the previous iterate first unless previous_saved.
struct OddPass {
    OddPass(RowTeam& team, const RunParams& p, int jw, const BoundaryFlags& flags, SweepState& s,
            bool previous_saved)
        : groups(1, odd_rows_to(p.ny), team.size()),
          item([&p, jw, &flags, &s, this, save = !previous_saved](int q) {
              parity_group(groups, q, p.nx, jw, p.h, p.kdel, p.ksou, p.sour, s.beta, flags,
                           s.factors, s.state, s.workspaces.local_group(), save);
          }) {
        if (!previous_saved && groups.count() == 0) s.state.save_previous();
    }
    OddPass(const OddPass&) = delete;
    OddPass& operator=(const OddPass&) = delete;

    ParityGroups groups;
    RowTeam::Item item;
};

// The even pass and the relaxation (with the error terms when measuring;
// each relaxed row is kept as the next iteration's previous iterate). A row
// is final once the last solve that reads it is done: an even row after its
// own, an odd row after both even neighbours. So each group of even rows
// relaxes its rows and the odd rows between them while they are in cache;
// the odd rows at the groups' edges come after, as items of the same step
// that wait for the one or two groups they lie between.
void even_pass_and_relaxation(RowTeam& team, const RunParams& p, int jw,
                              const BoundaryFlags& flags, SweepState& s, bool measure) {
    if (measure) s.state.size_error_terms();
    const ParityGroups even(2, even_rows_to(p.ny), team.size());
    const int groups = even.count();
    // odd rows below each group, and above the last one
    const int edges = groups + (p.ny % 2 != 0 ? 1 : 0);
    std::vector<std::atomic<bool>> solved(static_cast<std::size_t>(groups));
    auto wait_for = [&](int q) {
        if (q < 0 || q >= groups) return;
        while (!solved[static_cast<std::size_t>(q)].load(std::memory_order_acquire))
            std::this_thread::yield();
    };
    // Items are claimed in order: every group is under way before the first
    // edge is taken, so a wait always ends.
    team.for_items(groups + edges, [&](int k) {
        if (k < groups) {
            parity_group(even, k, p.nx, jw, p.h, p.kdel, p.ksou, p.sour, s.beta, flags, s.factors,
                         s.state, s.workspaces.local_group(), false);
            for (int j = even.first_row(k); j <= even.last_row(k); ++j)
                s.state.relax_and_measure_row(j, measure, true);
            solved[static_cast<std::size_t>(k)].store(true, std::memory_order_release);
            return;
        }
        const int e = k - groups;
        wait_for(e - 1);
        wait_for(e);
        s.state.relax_and_measure_row(e < groups ? even.first_row(e) - 1 : p.ny, measure, true);
    });
}

}  // namespace

void outer_iteration(RowTeam& team, const RunParams& p, int jw, const BoundaryFlags& flags,
                     SweepState& s, bool measure, double& gerror, bool previous_saved) {
    // the odd rows, then the even rows, which see the odd rows' new traces
    const OddPass odd(team, p, jw, flags, s, previous_saved);
    team.for_items(odd.groups.count(), odd.item);
    even_pass_and_relaxation(team, p, jw, flags, s, measure);
    if (measure) s.state.sum_error_terms(gerror, s.denomin);
}

IterationResult iterate_frequency(Units& units, const RunParams& p, const ProcessGrid& a1,
                                  int jw, const BoundaryFlags& flags, SweepState& s) {
    static const Format global_error_line(
        "(/1x,' global error = ',e20.7, ' iter. number = ',i5,       ' denomin. = ',e20.7)");
    static const Format converged_line(
        "(/1x,' convergence  for freq. # ',i5,                                  "
        "' achieved in ',i5,' inner iterations ',/,                        "
        "' relative error value = ',e20.8/)");
    static const Format not_converged_line(
        "(/1x,' NO convergence  for freq. # ',i5,                               "
        "' after  ',i5,' inner iterations ',/,                             "
        "' relative error value reduction = ',e20.8/)");

    const int itmax = (jw <= p.jwlow) ? p.maxlow : p.maxiter;

    // Before any iteration the error is taken as 1 (no reduction yet).
    double gerror = 1.0;
    int iter = 1;
    bool converged = false;
    s.workspaces.reserve_for_threads();
    // The rows of each step are shared out within a team of threads that
    // lasts for the whole iteration of the frequency; thread 0 runs the steps
    // in order and does the sequential parts (the error sums, the messages).
    RowTeam::run(iteration_in_parallel(p), [&](RowTeam& team) {
        bool odd_pass_done = false;  // the odd pass of iteration iter, run ahead
        while (iter <= itmax) {
            // from the second iteration on, the last relaxation has saved
            // the previous iterate
            if (!odd_pass_done) {
                const OddPass odd(team, p, jw, flags, s, iter > 1);
                team.for_items(odd.groups.count(), odd.item);
            }
            odd_pass_done = false;
            const bool measure = iter > 1;
            even_pass_and_relaxation(team, p, jw, flags, s, measure);
            if (measure) {
                // The error sum is sequential: while thread 0 forms it, the
                // other threads start on the next iteration's odd pass,
                // which does not depend on it. Should the error end the
                // iteration, the odd rows are put back as the relaxation left
                // them (their previous iterate).
                const bool ahead = team.size() > 1 && iter < itmax;
                std::optional<OddPass> next;
                if (ahead) {
                    next.emplace(team, p, jw, flags, s, true);
                    team.start_items(next->groups.count(), next->item);
                }
                s.state.sum_error_terms(gerror, s.denomin);
                if (ahead) {
                    team.finish_items();
                    odd_pass_done = true;
                }
            } else {
                gerror = 1.0;
            }

            if (a1.prints() && iter % 100 == 0)
                units.write(6, global_error_line, {gerror, iter, s.denomin});
            if (p.reduc > gerror) {
                if (odd_pass_done) s.state.restore_odd_rows();
                if (a1.prints()) units.write(6, converged_line, {jw, iter, gerror});
                converged = true;
                return;
            }
            ++iter;
        }
    });
    if (converged) return {iter, gerror, true};
    if (a1.prints()) units.write(6, not_converged_line, {jw, iter, gerror});
    ++s.not_converged;
    s.worst_gerror = std::max(s.worst_gerror, gerror);
    return {iter, gerror, false};
}

int iterative_field_solve(Units& units, const RunParams& p, const ProcessGrid& a1, int jw,
                          double omega, const BoundaryFlags& flags, SweepState& s) {
    inbeta(p.nx, p.ny, omega, s.fields.rho, s.fields.xln, s.fields.xmu, jw, s.beta);
    factorise_rows(p.ny, p.nx, omega, p.h, s.fields, s.beta, flags, s.workspaces, s.factors);
    return iterate_frequency(units, p, a1, jw, flags, s).iter;
}

void frequency_sweep(Units& units, const RunParams& p, const ProcessGrid& a1,
                     const BoundaryFlags& flags, const MaterialModuli& moduli, SweepState& s,
                     const FieldSolve& solve) {
    static const Format frequency_line("(/1x,' frequency number ',i5,' frequency : ',e20.8)");
    static const Format source_line("(1x,'jw  real sour, imag sour =',i7,2x,e15.5,2x,e15.5)");
    static const Format iteration_log("(i7,2x,i7)");

    if (p.jw2 >= p.jw1) check_border_velocities(p, a1, moduli);

    SweepProgress progress(p.jw1, p.jw2);
    for (int jw = p.jw2; jw >= p.jw1; --jw) {
        const double fjw = frequency_of(jw, p);
        const double omega = angular_frequency(fjw);
        if (a1.prints()) {
            units.write(6, frequency_line, {jw, fjw});
            units.write(6, source_line, {jw, p.sour[jw].re, p.sour[jw].im});
        }
        set_element_properties(units, p, a1, moduli, jw, fjw, true, s.fields);
        if (jw == p.jw2) write_model_files(units, p.nx, p.ny, s.fields);

        const int iter = solve(units, p, a1, jw, omega, flags, s);
        if (s.first_nonfinite_jw == 0 && !traces_finite(s.state)) s.first_nonfinite_jw = jw;
        units.write(14, iteration_log, {jw, iter});
        progress.frequency_done(jw, iter);

        if (p.keyqua == 1)
            finvpic1(jw, p.nx, p.ny, s.state, s.sums, p.nsnapt, p.itsnap, p.dt, p.delw);
        else
            finvpic2(jw, p.nx, p.ny, s.state, s.sums, p.nsnapt, p.itsnap, p.dt, p.delw);
        savtrace(p.nrec, jw, p.irx, p.iry, s.spectra, s.state);
        write_frequency_snapshots(units, p, jw, s.state);
    }
    progress.finish();
}

}  // namespace ef
