#include "solver/frequency_problem.hpp"

#include <cstddef>

#include "solver/stretched_element.hpp"

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
    return element_matrix_with(pb, i, j, pb.el.xln(i, j), pb.el.xmu(i, j), pb.el.rho(i, j));
}

ElementMatrix element_matrix_with(const FrequencyProblem& pb, int i, int j, Complex lambda,
                                  Complex mu, double rho) {
    const Complex one{1.0, 0.0};
    const auto [sx, sy] = pb.pml ? pb.pml->stretch(i, j, pb.omega) : std::pair{one, one};
    if (sx == one && sy == one) return stiffness_minus_mass(lambda, mu, pb.omega, rho, pb.h);
    return stretched_element_matrix(lambda, mu, pb.omega, rho, pb.h, sx, sy);
}

EdgeValues edge_velocities(const FrequencyProblem& pb, int i, int j) {
    const std::size_t is = static_cast<std::size_t>(i), js = static_cast<std::size_t>(j);
    const ElementFields& el = pb.el;
    return {el.vpleft[js], el.vsleft[js], el.vstop[is], el.vptop[is],
            el.vsbot[is],  el.vpbot[is],  el.vpright[js], el.vsright[js]};
}

EdgeValues edge_diagonal(const FrequencyProblem& pb, int i, int j, const EdgeRobin& robin,
                         double rho, const EdgeValues& v) {
    const std::size_t is = static_cast<std::size_t>(i), js = static_cast<std::size_t>(j);
    const double h = pb.h, omega = pb.omega;
    const double dl = pb.flags.deltal[is], dr = pb.flags.deltar[is];
    const double dt = pb.flags.deltat[js], db = pb.flags.deltab[js];
    const double* e = robin.weight;
    const Complex* b = robin.beta;
    EdgeValues d = {
        edge_term(e[0], h, dl, b[0], omega, rho, v[0]),
        edge_term(e[0], h, dl, b[1], omega, rho, v[1]),
        edge_term(e[1], h, dt, b[2], omega, rho, v[2]),
        edge_term(e[1], h, dt, b[3], omega, rho, v[3]),
        edge_term(e[2], h, db, b[4], omega, rho, v[4]),
        edge_term(e[2], h, db, b[5], omega, rho, v[5]),
        edge_term(e[3], h, dr, b[6], omega, rho, v[6]),
        edge_term(e[3], h, dr, b[7], omega, rho, v[7]),
    };
    if (pb.pml) {  // vertical edges stretched by s_y, horizontal ones by s_x
        const auto [sx, sy] = pb.pml->stretch(i, j, omega);
        for (int k = 0; k < 8; ++k) d[k] = d[k] * (k == 0 || k == 1 || k == 6 || k == 7 ? sy : sx);
    }
    return d;
}

void add_edge_terms(const FrequencyProblem& pb, int i, int j, const EdgeRobin& robin,
                    ElementMatrix& m) {
    const EdgeValues d = edge_diagonal(pb, i, j, robin, pb.el.rho(i, j), edge_velocities(pb, i, j));
    for (int k = 0; k < 8; ++k) m[k][k] += d[k];
}

}  // namespace ef
