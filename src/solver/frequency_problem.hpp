// The problem of one frequency, as every solver takes it: the grid, the
// element properties at this frequency, the boundary indicators and the
// sources. Built once per frequency; the solvers and assemblies read it and
// ask it about single elements and edges.
#pragma once

#include "common/run_params.hpp"
#include "model/boundary.hpp"
#include "solver/element_fields.hpp"
#include "solver/element_matrix.hpp"
#include "solver/source_terms.hpp"

namespace ef {

struct FrequencyProblem {
    int nx = 0, ny = 0;  // elements of the local grid
    double h = 0.0;      // element side (m)
    int jw = 0;          // frequency number
    double omega = 0.0;  // angular frequency
    const ElementFields& el;
    const BoundaryFlags& flags;
    SourceTerm source;
};

// The problem of frequency number jw of the deck p.
FrequencyProblem frequency_problem(const RunParams& p, int jw, double omega,
                                   const ElementFields& el, const BoundaryFlags& flags);

// The matrix K - omega^2 rho h^2 M / 5040 of element (i, j) from its moduli
// and density: the one element routine of both the row systems and the
// global system. (An element with stretched coordinates, as an absorbing
// layer would have, is the place where this would differ; no element of the
// present programs has any.)
ElementMatrix element_matrix(const FrequencyProblem& pb, int i, int j);

// The Robin part of the edge terms of one element in a row system: its weight
// per edge (left, top, bottom, right) and the coefficients of the two
// components per edge, in the local order. All zero in the global system,
// which has no Robin terms.
struct EdgeRobin {
    double weight[4] = {};
    Complex beta[8] = {};
};

// Adds to the diagonal of element (i, j)'s matrix its edge terms: the Robin
// part given, and the first-order absorbing part on the edges that lie on the
// physical boundary (the P velocity for the normal component, the S velocity
// for the tangential one).
void add_edge_terms(const FrequencyProblem& pb, int i, int j, const EdgeRobin& robin,
                    ElementMatrix& m);

}  // namespace ef
