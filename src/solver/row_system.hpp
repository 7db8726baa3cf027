// The linear system of one row of elements: 6 nx + 2 unknowns (u1, u2 at the
// edge midpoints), banded with half-bandwidth 7, assembled from the element
// matrices, factorised without pivoting (Crout) inside the profile that the
// element structure leaves, and solved with the stored factors.
#pragma once

#include <cstddef>
#include <span>
#include <vector>

#include "common/complex.hpp"
#include "solver/element_fields.hpp"
#include "solver/robin.hpp"

namespace ef {

// Band storage of one row system: entry A(r, c), |c - r| <= 7, at
// band(r, 8 + c - r); r = 1 .. n, columns 1 .. 15 (8 is the diagonal).
class Band {
public:
    explicit Band(int nx);
    Complex& operator()(int r, int c);
    const Complex& operator()(int r, int c) const;
    int n() const { return n_; }
    void clear();

private:
    int n_;
    std::vector<Complex> data_;
};

// The factors of every row of the grid for the current frequency, holding only
// the entries inside the profile. Sized from the run's nx and ny.
class RowFactors {
public:
    RowFactors() = default;
    RowFactors(int nx, int ny);
    int nx() const { return nx_; }
    int ny() const { return ny_; }
    // l(k + d, k) for d = 0 (pivot) .. 7 and u(k, k + d) for d = 1 .. 7 of row j,
    // inside the profile only (defined in row_factors.cpp; layout private).
    Complex& l(int j, int k, int d);
    const Complex& l(int j, int k, int d) const;
    Complex& u(int j, int k, int d);
    const Complex& u(int j, int k, int d) const;

private:
    int nx_ = 0, ny_ = 0;
    std::size_t per_row_ = 0;
    std::vector<Complex> data_;
};

// Profile limit P(k) = min(k + 7, 6 ceil(k/6) + 2, n).
int profile_limit(int k, int n);

// Scratch vectors of one row solve (one per thread when rows run in parallel).
struct RowWorkspace {
    explicit RowWorkspace(int nx);
    Band a;
    std::vector<Complex> rhs, answer, y;  // 1 .. 6 nx + 2
};

// Assemble the row system of row j into ws.a and factorise it into row j of
// the factors.
void coeflu(int j, int nx, double omega, double h, const ElementFields& el,
            const RobinCoefficients& beta, const BoundaryFlags& flags,
            RowWorkspace& ws, RowFactors& factors);

// Crout factorisation of the band a into row j of the factors.
void factor15(int nx, int j, const Band& a, RowFactors& factors);

// Solve the row system of row j: rhs(1..n) in, answer(1..n) out; y is scratch.
void solver15(int nx, int j, std::span<const Complex> rhs, const RowFactors& factors,
              std::span<Complex> answer, std::span<Complex> y);

}  // namespace ef
