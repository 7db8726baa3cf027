// One row of the domain-decomposition iteration: form the right-hand side from
// the neighbours' traces, the multipliers, the Robin coefficients and the
// source, solve, store the new traces (solv1it); then update the multipliers
// of the row (uplag).
#pragma once

#include <vector>

#include "common/complex.hpp"
#include "solver/frequency_problem.hpp"
#include "solver/interface_state.hpp"
#include "solver/robin.hpp"
#include "solver/row_system.hpp"
#include "solver/thread_workspaces.hpp"

namespace ef {

// What every row solve of one frequency reads besides the interface state:
// the problem, its Robin coefficients and the factorised row systems.
struct RowSystems {
    const FrequencyProblem& problem;
    const RobinCoefficients& beta;
    const RowFactors& factors;
};

// Row j's solve of one iteration (solv1it): right-hand side, solve with the
// row's factors, the new traces into the state.
void solv1it(int j, const RowSystems& rows, InterfaceState& state, RowWorkspace& ws);

// Update of the multipliers (uplag: update Lagrange) of row j on the left and
// bottom edges: lag += beta (own trace - the neighbour's trace across the edge).
void uplag(int j, int nx, const RobinCoefficients& beta, InterfaceState& state);

// The rows of one parity pass (first, first + 2, ... up to last) in groups
// of consecutive rows of the pass, at most kRowGroup each, as even in size
// as their number allows. With `threads` sharing them, the number of groups
// is rounded up to a multiple of it (rows permitting), so that the threads
// finish together. Which rows go together never changes a result.
class ParityGroups {
public:
    ParityGroups(int first, int last, int threads = 1);
    int count() const { return count_; }
    int first_row(int q) const { return first_ + 2 * start(q); }
    int last_row(int q) const { return first_ + 2 * (start(q + 1) - 1); }
    int size(int q) const { return start(q + 1) - start(q); }

private:
    // index within the pass of the first row of group q (q = count: the end)
    int start(int q) const {
        return static_cast<int>(static_cast<long long>(q) * rows_ / count_);
    }
    int first_ = 1, rows_ = 0, count_ = 0;
};

// Group q of a parity pass: solv1it, then uplag, for each of its rows, with
// the workspaces ws[0 .. kRowGroup - 1]. A row of the pass reads only its own
// interface data and that of the rows of the other parity, and uplag of a
// row writes only that row's multipliers, which no other solve of the pass
// reads; so the groups of a pass may run in any order, on any thread, with
// the same result as solving all rows and then updating all.
//
// With save_previous set (the odd pass, starting at row 1), the group also
// saves the previous iterate of its rows and of the rows of the other parity
// above them (the first group from the bottom ring row, the last one up to
// the top ring row), as InterfaceState::save_previous does before the pass:
// each row is copied before anything of this iteration changes it.
void parity_group(const ParityGroups& groups, int q, const RowSystems& rows,
                  InterfaceState& state, RowWorkspace* const* ws, bool save_previous);

}  // namespace ef
