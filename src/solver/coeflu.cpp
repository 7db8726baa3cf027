// Assembly of the row system of one row of elements and its factorisation.
#include <cassert>

#include "solver/element_matrix.hpp"
#include "solver/row_system.hpp"
#include "solver/thread_workspaces.hpp"

namespace ef {

void coeflu(int j, int nx, double omega, double h, const ElementFields& el,
            const RobinCoefficients& beta, const BoundaryFlags& flags,
            RowWorkspace& ws, RowFactors& factors) {
    // a row without elements has nothing to solve (and nothing to store)
    if (nx < 1) return;
    assert(ws.a.n() == row_unknowns(nx));
    Band& a = ws.a;
    a.clear();

    const double dt = flags.deltat[static_cast<std::size_t>(j)];
    const double db = flags.deltab[static_cast<std::size_t>(j)];
    const std::size_t js = static_cast<std::size_t>(j);

    for (int i = 1; i <= nx; ++i) {
        const std::size_t is = static_cast<std::size_t>(i);
        const double rho = el.rho(i, j);
        ElementMatrix e = stiffness_minus_mass(el.xln(i, j), el.xmu(i, j), omega, rho, h);

        // Robin terms of the vertical edges only at the ends of the row; the
        // horizontal edges are interfaces for every element.
        const double el_left = (i == 1 && i < nx) ? 1.0 : 0.0;
        const double el_right = (i == nx) ? 1.0 : 0.0;
        const double dl = flags.deltal[is];
        const double dr = flags.deltar[is];
        // The absorbing term takes the P velocity for the normal component.
        const Complex d[8] = {
            edge_term(el_left, h, dl, beta.beta11l(i, j), omega, rho, el.vpleft[js]),
            edge_term(el_left, h, dl, beta.beta22l(i, j), omega, rho, el.vsleft[js]),
            edge_term(1.0, h, dt, beta.beta11t(i, j), omega, rho, el.vstop[is]),
            edge_term(1.0, h, dt, beta.beta22t(i, j), omega, rho, el.vptop[is]),
            edge_term(1.0, h, db, beta.beta11b(i, j), omega, rho, el.vsbot[is]),
            edge_term(1.0, h, db, beta.beta22b(i, j), omega, rho, el.vpbot[is]),
            edge_term(el_right, h, dr, beta.beta11r(i, j), omega, rho, el.vpright[js]),
            edge_term(el_right, h, dr, beta.beta22r(i, j), omega, rho, el.vsright[js]),
        };
        for (int k = 0; k < 8; ++k) e[k][k] += d[k];

        // unknown of local dof k (1-based) is 6 (i - 1) + k
        const int base = 6 * (i - 1);
        for (int k = 1; k <= 8; ++k)
            for (int m = 1; m <= 8; ++m)
                a(base + k, 8 + m - k) += e[k - 1][m - 1];
    }

    factor15(nx, j, a, factors);
}

void factorise_rows(int ny, int nx, double omega, double h, const ElementFields& el,
                    const RobinCoefficients& beta, const BoundaryFlags& flags,
                    ThreadWorkspaces& workspaces, RowFactors& factors) {
    workspaces.reserve_for_threads();
#pragma omp parallel for schedule(dynamic) if (rows_in_parallel(nx, ny))
    for (int j = 1; j <= ny; ++j)
        coeflu(j, nx, omega, h, el, beta, flags, workspaces.local(), factors);
}

}  // namespace ef
