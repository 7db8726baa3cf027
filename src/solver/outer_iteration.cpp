#include "solver/outer_iteration.hpp"

#include <atomic>
#include <optional>
#include <thread>
#include <vector>

#include "common/format.hpp"
#include "solver/sweep.hpp"

namespace ef {

IterationState::IterationState(int nx, int ny)
    : beta(nx, ny), factors(nx, ny), state(nx, ny), workspaces(nx) {}

bool iteration_in_parallel(int nx, int ny) { return rows_in_parallel(nx, ny / 2); }

void prepare_rows(const FrequencyProblem& pb, IterationState& it) {
    inbeta(pb.nx, pb.ny, pb.omega, pb.el.rho, pb.el.xln, pb.el.xmu, pb.jw, it.beta);
    factorise_rows(pb, it.beta, it.workspaces, it.factors);
}

namespace {

int odd_rows_to(int ny) { return (ny % 2 != 0) ? ny : ny - 1; }
int even_rows_to(int ny) { return (ny % 2 == 0) ? ny : ny - 1; }

// The odd pass of an outer iteration as items of the team: the groups of odd
// rows, saving the previous iterate first unless previous_saved.
struct OddPass {
    OddPass(RowTeam& team, const FrequencyProblem& pb, IterationState& it, bool previous_saved)
        : systems{pb, it.beta, it.factors},
          groups(1, odd_rows_to(pb.ny), team.size()),
          item([&it, this, save = !previous_saved](int q) {
              parity_group(groups, q, systems, it.state, it.workspaces.local_group(), save);
          }) {
        if (!previous_saved && groups.count() == 0) it.state.save_previous();
    }
    OddPass(const OddPass&) = delete;
    OddPass& operator=(const OddPass&) = delete;

    RowSystems systems;
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
void even_pass_and_relaxation(RowTeam& team, const FrequencyProblem& pb, IterationState& it,
                              bool measure) {
    if (measure) it.state.size_error_terms();
    const RowSystems systems{pb, it.beta, it.factors};
    const ParityGroups even(2, even_rows_to(pb.ny), team.size());
    const int groups = even.count();
    // odd rows below each group, and above the last one
    const int edges = groups + (pb.ny % 2 != 0 ? 1 : 0);
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
            parity_group(even, k, systems, it.state, it.workspaces.local_group(), false);
            for (int j = even.first_row(k); j <= even.last_row(k); ++j)
                it.state.relax_and_measure_row(j, measure, true);
            solved[static_cast<std::size_t>(k)].store(true, std::memory_order_release);
            return;
        }
        const int e = k - groups;
        wait_for(e - 1);
        wait_for(e);
        it.state.relax_and_measure_row(e < groups ? even.first_row(e) - 1 : pb.ny, measure, true);
    });
}

}  // namespace

void outer_iteration(RowTeam& team, const FrequencyProblem& pb, IterationState& it,
                     OuterStep step, double& gerror) {
    // the odd rows, then the even rows, which see the odd rows' new traces
    const OddPass odd(team, pb, it, step.previous_saved);
    team.for_items(odd.groups.count(), odd.item);
    even_pass_and_relaxation(team, pb, it, step.measure);
    if (step.measure) it.state.sum_error_terms(gerror, it.denomin);
}

IterationResult iterate_frequency(const RunContext& run, const FrequencyProblem& pb,
                                  IterationState& it) {
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

    const RunParams& p = run.p;
    Units& units = run.units;
    const int jw = pb.jw;
    const int itmax = (jw <= p.jwlow) ? p.maxlow : p.maxiter;

    // Before any iteration the error is taken as 1 (no reduction yet).
    double gerror = 1.0;
    int iter = 1;
    bool converged = false;
    it.workspaces.reserve_for_threads();
    // The rows of each step are shared out within a team of threads that
    // lasts for the whole iteration of the frequency; thread 0 runs the steps
    // in order and does the sequential parts (the error sums, the messages).
    RowTeam::run(iteration_in_parallel(pb.nx, pb.ny), [&](RowTeam& team) {
        bool odd_pass_done = false;  // the odd pass of iteration iter, run ahead
        while (iter <= itmax) {
            // from the second iteration on, the last relaxation has saved
            // the previous iterate
            if (!odd_pass_done) {
                const OddPass odd(team, pb, it, iter > 1);
                team.for_items(odd.groups.count(), odd.item);
            }
            odd_pass_done = false;
            const bool measure = iter > 1;
            even_pass_and_relaxation(team, pb, it, measure);
            if (measure) {
                // The error sum is sequential: while thread 0 forms it, the
                // other threads start on the next iteration's odd pass,
                // which does not depend on it. Should the error end the
                // iteration, the odd rows are put back as the relaxation left
                // them (their previous iterate).
                const bool ahead = team.size() > 1 && iter < itmax;
                std::optional<OddPass> next;
                if (ahead) {
                    next.emplace(team, pb, it, true);
                    team.start_items(next->groups.count(), next->item);
                }
                it.state.sum_error_terms(gerror, it.denomin);
                if (ahead) {
                    team.finish_items();
                    odd_pass_done = true;
                }
            } else {
                gerror = 1.0;
            }

            if (run.prints && iter % 100 == 0)
                units.write(6, global_error_line, {gerror, iter, it.denomin});
            if (p.reduc > gerror) {
                if (odd_pass_done) it.state.restore_odd_rows();
                if (run.prints) units.write(6, converged_line, {jw, iter, gerror});
                converged = true;
                return;
            }
            ++iter;
        }
    });
    if (converged) return {iter, gerror, true};
    if (run.prints) units.write(6, not_converged_line, {jw, iter, gerror});
    return {iter, gerror, false};
}

IterationResult solve_by_iteration(const RunContext& run, const FrequencyProblem& pb,
                                   IterationState& it, WaveField& field) {
    prepare_rows(pb, it);
    const IterationResult r = iterate_frequency(run, pb, it);
    it.state.copy_traces(field);
    return r;
}

}  // namespace ef
