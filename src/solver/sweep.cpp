// One row of the domain-decomposition iteration: right-hand side from the
// interface data and the source, row solve, new traces; multiplier update.

#include <algorithm>
#include <cassert>

#include "common/isa.hpp"
#include "solver/sweep.hpp"
#include "solver/source_terms.hpp"

namespace ef {

namespace {

// ((e h) beta) u: a Robin product with a neighbour's trace
Complex robin(double e, double h, Complex beta, Complex u) { return ((e * h) * beta) * u; }

// Steps 1 to 4 of solv1it: the right-hand side of row j in ws.rhs.
EF_AVX2_CLONES void assemble_rhs(int j, const RowSystems& rows, const InterfaceState& s,
                                  RowWorkspace& ws) {
    const FrequencyProblem& pb = rows.problem;
    const RobinCoefficients& beta = rows.beta;
    const BoundaryFlags& flags = pb.flags;
    const int nx = pb.nx;
    const double h = pb.h;
    const int n = row_unknowns(nx);
    assert(static_cast<int>(ws.rhs.size()) > n);
    Complex* rhs = ws.rhs.data();
    for (int r = 1; r <= n; ++r) rhs[r] = Complex{};

    const std::size_t js = static_cast<std::size_t>(j);
    const double keep_t = 1.0 - flags.deltat[js];
    const double keep_b = 1.0 - flags.deltab[js];

    // The whole source row carries the source (a plane source).
    const RowSource source = pb.source.row_loads(j, h);

    for (int i = 1; i <= nx; ++i) {
        const std::size_t is = static_cast<std::size_t>(i);
        const double el_left = (i == 1 && i < nx) ? 1.0 : 0.0;
        const double el_right = (i == nx) ? 1.0 : 0.0;
        const double keep_l = 1.0 - flags.deltal[is];
        const double keep_r = 1.0 - flags.deltar[is];

        Complex c[8] = {
            keep_l * (robin(el_left, h, beta.beta11l(i, j), s.u1rn(i - 1, j)) - h * s.lag1ln(i, j)),
            keep_l * (robin(el_left, h, beta.beta22l(i, j), s.u2rn(i - 1, j)) - h * s.lag2ln(i, j)),
            keep_t * (h * s.lag1bn(i, j + 1) + robin(1.0, h, beta.beta11t(i, j), s.u1bn(i, j + 1))),
            keep_t * (h * s.lag2bn(i, j + 1) + robin(1.0, h, beta.beta22t(i, j), s.u2bn(i, j + 1))),
            keep_b * (robin(1.0, h, beta.beta11b(i, j), s.u1tn(i, j - 1)) - h * s.lag1bn(i, j)),
            keep_b * (robin(1.0, h, beta.beta22b(i, j), s.u2tn(i, j - 1)) - h * s.lag2bn(i, j)),
            keep_r * (h * s.lag1ln(i + 1, j) + robin(el_right, h, beta.beta11r(i, j), s.u1ln(i + 1, j))),
            keep_r * (h * s.lag2ln(i + 1, j) + robin(el_right, h, beta.beta22r(i, j), s.u2ln(i + 1, j))),
        };

        add_element_source(source, c);

        const int base = 6 * (i - 1);
        for (int k = 0; k < 8; ++k) rhs[base + 1 + k] += c[k];
    }
}

// Step 6: the new traces of row j from ws.answer.
EF_AVX2_CLONES void store_row_traces(int j, int nx, const RowWorkspace& ws, InterfaceState& s) {
    const Complex* x = ws.answer.data();
    for (int i = 1; i <= nx; ++i) {
        const int b = 6 * (i - 1);
        s.u1ln(i, j) = x[b + 1];
        s.u2ln(i, j) = x[b + 2];
        s.u1tn(i, j) = x[b + 3];
        s.u2tn(i, j) = x[b + 4];
        s.u1bn(i, j) = x[b + 5];
        s.u2bn(i, j) = x[b + 6];
        s.u1rn(i, j) = x[b + 7];
        s.u2rn(i, j) = x[b + 8];
    }
}

// solv1it for count rows of the same parity pass at once.
void solv1it_rows(int count, const int* rows, const RowSystems& systems, InterfaceState& s,
                  RowWorkspace* const* ws) {
    const int nx = systems.problem.nx;
    if (nx < 1) return;
    for (int r = 0; r < count; ++r) assemble_rhs(rows[r], systems, s, *ws[r]);
    solver15_rows(nx, count, rows, ws, systems.factors);
    for (int r = 0; r < count; ++r) store_row_traces(rows[r], nx, *ws[r], s);
}

}  // namespace

void solv1it(int j, const RowSystems& rows, InterfaceState& s, RowWorkspace& ws) {
    const int nx = rows.problem.nx;
    if (nx < 1) return;  // no element, no trace to store
    assemble_rhs(j, rows, s, ws);
    solver15(nx, j, ws.rhs, rows.factors, ws.answer, ws.y);
    store_row_traces(j, nx, ws, s);
}

EF_AVX2_CLONES void uplag(int j, int nx, const RobinCoefficients& beta, InterfaceState& s) {
    for (int i = 1; i <= nx; ++i) {
        s.lag1ln(i, j) += beta.beta11l(i, j) * (s.u1ln(i, j) - s.u1rn(i - 1, j));
        s.lag2ln(i, j) += beta.beta22l(i, j) * (s.u2ln(i, j) - s.u2rn(i - 1, j));
        s.lag1bn(i, j) += beta.beta11b(i, j) * (s.u1bn(i, j) - s.u1tn(i, j - 1));
        s.lag2bn(i, j) += beta.beta22b(i, j) * (s.u2bn(i, j) - s.u2tn(i, j - 1));
    }
}

ParityGroups::ParityGroups(int first, int last, int threads) : first_(first) {
    if (first > last) return;
    rows_ = (last - first) / 2 + 1;
    count_ = (rows_ + kRowGroup - 1) / kRowGroup;
    if (threads > 1) count_ = std::min(rows_, (count_ + threads - 1) / threads * threads);
}

void parity_group(const ParityGroups& groups, int q, const RowSystems& systems,
                  InterfaceState& state, RowWorkspace* const* ws, bool save_previous) {
    const int count = groups.size(q);
    assert(count >= 1 && count <= kRowGroup);
    int rows[kRowGroup] = {};
    for (int r = 0; r < count; ++r) rows[r] = groups.first_row(q) + 2 * r;
    if (save_previous) {
        // group q saves its rows and the rows of the other parity above
        // them; the first group also the bottom ring row, the last one every
        // row up to the top ring row
        const int ny = state.u1ln.ny();
        const bool last_group = q == groups.count() - 1;
        state.save_previous_rows(q == 0 ? 0 : rows[0], last_group ? ny + 1 : rows[count - 1] + 1);
    }
    solv1it_rows(count, rows, systems, state, ws);
    for (int r = 0; r < count; ++r) uplag(rows[r], systems.problem.nx, systems.beta, state);
}

}  // namespace ef
