#include "solver/element_sensitivity.hpp"

#include <array>

namespace ef {

namespace {

using Products = std::array<std::array<Complex, 8>, 8>;  // sum over shots of a_k u_m

// -Re(sum over k, m of d[k][m] p[k][m]) = -Re(a^T d u) summed over the shots.
double contract(const ElementMatrix& d, const Products& p) {
    double sum = 0.0;
    for (int k = 0; k < 8; ++k)
        for (int m = 0; m < 8; ++m) sum += d[k][m].re * p[k][m].re - d[k][m].im * p[k][m].im;
    return -sum;
}

double contract_diagonal(const EdgeValues& d, const Products& p, int k) {
    return -(d[k].re * p[k][k].re - d[k].im * p[k][k].im);
}

// The border velocity that edge term k of element (i, j) uses, as an entry of g.
double& velocity_entry(FieldGradient& g, int k, int i, int j) {
    const std::size_t is = static_cast<std::size_t>(i), js = static_cast<std::size_t>(j);
    switch (k) {
        case 0: return g.vpleft[js];
        case 1: return g.vsleft[js];
        case 2: return g.vstop[is];
        case 3: return g.vptop[is];
        case 4: return g.vsbot[is];
        case 5: return g.vpbot[is];
        case 6: return g.vpright[js];
        default: return g.vsright[js];
    }
}

// Whether edge k of element (i, j) lies on the absorbing boundary.
bool absorbing_edge(const FrequencyProblem& pb, int k, int i, int j) {
    const std::size_t is = static_cast<std::size_t>(i), js = static_cast<std::size_t>(j);
    switch (k / 2) {
        case 0: return pb.flags.deltal[is] != 0.0;
        case 1: return pb.flags.deltat[js] != 0.0;
        case 2: return pb.flags.deltab[js] != 0.0;
        default: return pb.flags.deltar[is] != 0.0;
    }
}

void element_sensitivity(const FrequencyProblem& pb, const EdgeNumbering& numbering,
                         const FieldPairs& fields, int i, int j, FieldGradient& g) {
    const std::array<int, 8> dof = numbering.element_unknowns(i, j);
    Products p{};
    for (int c = 0; c < fields.columns; ++c) {
        const Complex* u = fields.forward + static_cast<std::size_t>(c) * fields.n;
        const Complex* a = fields.adjoint + static_cast<std::size_t>(c) * fields.n;
        for (int k = 0; k < 8; ++k) {
            const Complex ak = a[dof[k]];
            for (int m = 0; m < 8; ++m) p[k][m] += ak * u[dof[m]];
        }
    }
    const Complex one{1.0, 0.0}, zero{};
    g.xln(i, j) += contract(element_matrix_with(pb, i, j, one, zero, 0.0), p);
    g.xmu(i, j) += contract(element_matrix_with(pb, i, j, zero, one, 0.0), p);
    // the density enters the mass and the absorbing terms
    const EdgeValues velocities = edge_velocities(pb, i, j);
    const EdgeValues per_density = edge_diagonal(pb, i, j, EdgeRobin{}, 1.0, velocities);
    double rho = contract(element_matrix_with(pb, i, j, zero, zero, 1.0), p);
    EdgeValues unit;
    unit.fill(one);
    const EdgeValues per_velocity = edge_diagonal(pb, i, j, EdgeRobin{}, pb.el.rho(i, j), unit);
    for (int k = 0; k < 8; ++k) {
        if (!absorbing_edge(pb, k, i, j)) continue;
        rho += contract_diagonal(per_density, p, k);
        velocity_entry(g, k, i, j) += contract_diagonal(per_velocity, p, k);
    }
    g.rho(i, j) += rho;
}

}  // namespace

void add_element_sensitivities(const FrequencyProblem& pb, const EdgeNumbering& numbering,
                               const FieldPairs& fields, int threads, FieldGradient& g) {
    // A row's elements write their own entries, and the velocities of the
    // left and right edges of their row; the top and bottom velocities only
    // from the top and bottom rows. No entry is written by two threads.
#pragma omp parallel for schedule(static) num_threads(threads > 0 ? threads : 1)
    for (int j = 1; j <= pb.ny; ++j)
        for (int i = 1; i <= pb.nx; ++i) element_sensitivity(pb, numbering, fields, i, j, g);
}

}  // namespace ef
