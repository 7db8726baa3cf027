// The problem of one frequency, as every solver takes it: the grid, the
// element properties at this frequency, the boundary indicators and the
// sources. Built once per frequency; the solvers and assemblies read it and
// ask it about single elements and edges.
#pragma once

#include <array>

#include "common/run_params.hpp"
#include "model/boundary.hpp"
#include "solver/element_fields.hpp"
#include "solver/element_matrix.hpp"
#include "solver/pml_padding.hpp"
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
    // The coordinate stretching of a survey's perfectly matched layer; none
    // for the decks, whose grids have no layer.
    const PerfectlyMatchedLayer* pml = nullptr;
};

// The problem of frequency number jw of the deck p.
FrequencyProblem frequency_problem(const RunParams& p, int jw, double omega,
                                   const ElementFields& el, const BoundaryFlags& flags);

// The matrix K - omega^2 rho h^2 M / 5040 of element (i, j) from its moduli
// and density: the one element routine of both the row systems and the
// global system. An element of a perfectly matched layer gets the stretched
// matrix; every other element the closed form of the square, to the bit.
ElementMatrix element_matrix(const FrequencyProblem& pb, int i, int j);

// The same matrix of element (i, j) (stretched or not) with other moduli and
// density. The matrix is linear in each, so lambda = 1, mu = rho = 0 gives its
// derivative with respect to lambda, and so on: the inversion's gradient
// takes its element derivatives from here, the one copy of the element.
ElementMatrix element_matrix_with(const FrequencyProblem& pb, int i, int j, Complex lambda,
                                  Complex mu, double rho);

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
// for the tangential one). In a layer an edge's length is stretched along
// it: the absorbing terms of its outer edges carry that factor.
void add_edge_terms(const FrequencyProblem& pb, int i, int j, const EdgeRobin& robin,
                    ElementMatrix& m);

// The eight border velocities of element (i, j)'s edge terms, in the local
// order: vp for the normal component of an edge, vs for the tangential one.
using EdgeValues = std::array<Complex, 8>;
EdgeValues edge_velocities(const FrequencyProblem& pb, int i, int j);

// The diagonal that add_edge_terms adds, from the density rho and velocities
// v given. Linear in rho and in each v[k]: rho = 1 (or v[k] = 1) with no Robin
// part gives the derivatives of the absorbing terms.
EdgeValues edge_diagonal(const FrequencyProblem& pb, int i, int j, const EdgeRobin& robin,
                         double rho, const EdgeValues& v);

}  // namespace ef
