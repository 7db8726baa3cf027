#include "solver/frequency_problem.hpp"

#include <cstddef>

namespace ef {

FrequencyProblem frequency_problem(const RunParams& p, int jw, double omega,
                                   const ElementFields& el, const BoundaryFlags& flags) {
    const Complex amplitude = jw >= 0 && static_cast<std::size_t>(jw) < p.sour.size()
                                  ? p.sour[static_cast<std::size_t>(jw)]
                                  : Complex{};
    return {p.nx, p.ny, p.h, jw, omega, el, flags,
            SourceTerm::from_deck(p.kdel, p.ksou, amplitude)};
}

ElementMatrix element_matrix(const FrequencyProblem& pb, int i, int j) {
    return stiffness_minus_mass(pb.el.xln(i, j), pb.el.xmu(i, j), pb.omega, pb.el.rho(i, j), pb.h);
}

void add_edge_terms(const FrequencyProblem& pb, int i, int j, const EdgeRobin& robin,
                    ElementMatrix& m) {
    const std::size_t is = static_cast<std::size_t>(i), js = static_cast<std::size_t>(j);
    const ElementFields& el = pb.el;
    const double h = pb.h, omega = pb.omega, rho = el.rho(i, j);
    const double dl = pb.flags.deltal[is], dr = pb.flags.deltar[is];
    const double dt = pb.flags.deltat[js], db = pb.flags.deltab[js];
    const double* e = robin.weight;
    const Complex* b = robin.beta;
    const Complex d[8] = {
        edge_term(e[0], h, dl, b[0], omega, rho, el.vpleft[js]),
        edge_term(e[0], h, dl, b[1], omega, rho, el.vsleft[js]),
        edge_term(e[1], h, dt, b[2], omega, rho, el.vstop[is]),
        edge_term(e[1], h, dt, b[3], omega, rho, el.vptop[is]),
        edge_term(e[2], h, db, b[4], omega, rho, el.vsbot[is]),
        edge_term(e[2], h, db, b[5], omega, rho, el.vpbot[is]),
        edge_term(e[3], h, dr, b[6], omega, rho, el.vpright[js]),
        edge_term(e[3], h, dr, b[7], omega, rho, el.vsright[js]),
    };
    for (int k = 0; k < 8; ++k) m[k][k] += d[k];
}

}  // namespace ef
