// An independent reference for the global finite-element system of a small
// grid: a model of two materials (a slow viscoelastic layer over a fast
// elastic one), the system assembled densely from tables of the element
// integrals written out here, and a dense LU solve.
#pragma once

#include <complex>
#include <vector>

#include "common/run_params.hpp"
#include "solver/element_fields.hpp"

namespace ef::test {

struct SmallModel {
    RunParams p;
    ProcessGrid a1;  // silent (ncontrol 1)
    BoundaryFlags flags;
    ElementFields fields;
    int jw = 8;
    double omega = 0.0;
};

// nx x ny elements of side 10 m, the source of kind kdel in the middle row.
SmallModel two_layer_model(int nx, int ny, int kdel);

// Vertical edges (i, j), i = 0..nx, j = 1..ny, first, then horizontal edges
// (i, j), i = 1..nx, j = 0..ny; component c of edge e is unknown 2 e + c - 1.
struct DenseSystem {
    int nx = 0, ny = 0, n = 0;
    std::vector<std::complex<double>> a;  // row-major n x n
    std::vector<std::complex<double>> b;
    int vertical(int i, int j) const { return i + (nx + 1) * (j - 1); }
    int horizontal(int i, int j) const { return (nx + 1) * ny + (i - 1) + nx * j; }
    std::complex<double>& at(int r, int c) { return a[static_cast<std::size_t>(r) * n + c]; }
};

// Stiffness and mass of every element over shared edges, first-order
// absorbing terms on the physical boundary, the source of row ksou.
DenseSystem dense_global_system(const SmallModel& m);

// Dense LU with partial pivoting.
std::vector<std::complex<double>> dense_solve(DenseSystem s);

}  // namespace ef::test
