// Assembly of the row system of one row of elements and its factorisation.
#include <cassert>

#include "solver/element_matrix.hpp"
#include "solver/row_system.hpp"
#include "solver/thread_workspaces.hpp"

namespace ef {

void coeflu(int j, const FrequencyProblem& pb, const RobinCoefficients& beta, RowWorkspace& ws,
            RowFactors& factors) {
    const int nx = pb.nx;
    // a row without elements has nothing to solve (and nothing to store)
    if (nx < 1) return;
    assert(ws.a.n() == row_unknowns(nx));
    Band& a = ws.a;
    a.clear();

    for (int i = 1; i <= nx; ++i) {
        ElementMatrix e = element_matrix(pb, i, j);

        // Robin terms of the vertical edges only at the ends of the row; the
        // horizontal edges are interfaces for every element.
        const EdgeRobin robin{
            {(i == 1 && i < nx) ? 1.0 : 0.0, 1.0, 1.0, (i == nx) ? 1.0 : 0.0},
            {beta.beta11l(i, j), beta.beta22l(i, j), beta.beta11t(i, j), beta.beta22t(i, j),
             beta.beta11b(i, j), beta.beta22b(i, j), beta.beta11r(i, j), beta.beta22r(i, j)}};
        add_edge_terms(pb, i, j, robin, e);

        // unknown of local dof k (1-based) is 6 (i - 1) + k
        const int base = 6 * (i - 1);
        for (int k = 1; k <= 8; ++k)
            for (int m = 1; m <= 8; ++m)
                a(base + k, 8 + m - k) += e[k - 1][m - 1];
    }

    factor15(nx, j, a, factors);
}

void factorise_rows(const FrequencyProblem& pb, const RobinCoefficients& beta,
                    ThreadWorkspaces& workspaces, RowFactors& factors) {
    workspaces.reserve_for_threads();
#pragma omp parallel for schedule(dynamic) if (rows_in_parallel(pb.nx, pb.ny))
    for (int j = 1; j <= pb.ny; ++j) coeflu(j, pb, beta, workspaces.local(), factors);
}

}  // namespace ef
