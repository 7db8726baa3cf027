// The linear system of one row of elements: 6 nx + 2 unknowns (u1, u2 at the
// edge midpoints), banded with half-bandwidth 7, assembled from the element
// matrices, factorised without pivoting (Crout) inside the profile that the
// element structure leaves, and solved with the stored factors.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "common/complex.hpp"
#include "solver/frequency_problem.hpp"
#include "solver/robin.hpp"

namespace ef {

// Number of unknowns of a row of nx elements.
constexpr int row_unknowns(int nx) { return 6 * nx + 2; }

// Band storage of one row system: entry A(r, c), |c - r| <= 7, is held at
// band(r, 8 + c - r); r = 1 .. n, band columns 1 .. 15 (8 is the diagonal).
// Row-major: the 15 band entries of one row are adjacent.
class Band {
public:
    explicit Band(int nx);
    Complex& operator()(int r, int col) { return data_[index(r, col)]; }
    const Complex& operator()(int r, int col) const { return data_[index(r, col)]; }
    int n() const { return n_; }
    void clear();

private:
    std::size_t index(int r, int col) const {
        return static_cast<std::size_t>(r - 1) * 15 + static_cast<std::size_t>(col - 1);
    }
    int n_;
    std::vector<Complex> data_;
};

// Profile limit P(k) = min(k + 7, 6 ceil(k/6) + 2, n): the last index that
// row k of U and column k of L reach.
int profile_limit(int k, int n);

// The factors of every row of the grid for the current frequency, holding only
// the entries inside the profile (60 complex numbers per element: 27 of L below
// the diagonal, 6 pivots, 27 of U). Sized from the run's nx and ny.
//
// One row j is one contiguous block laid out in the order solver15 reads it:
//   lower part, k = 1 .. n:   l(k, k-1), l(k, k-2), ..., l(k, k-lower_count(k)), l(k, k)
//   upper part, k = n .. 1:   u(k, k+1), u(k, k+2), ..., u(k, k+upper_count(k))
class RowFactors {
public:
    RowFactors() = default;
    RowFactors(int nx, int ny);
    int nx() const { return nx_; }
    int ny() const { return ny_; }
    int n() const { return n_; }

    // l(k + d, k) for d = 0 (pivot) .. 7 and u(k, k + d) for d = 1 .. 7 of
    // row j, inside the profile only (k + d <= P(k)).
    Complex& l(int j, int k, int d) { return data_[row_start(j) + lower_index(k, d)]; }
    const Complex& l(int j, int k, int d) const { return data_[row_start(j) + lower_index(k, d)]; }
    Complex& u(int j, int k, int d) { return data_[row_start(j) + upper_index(k, d)]; }
    const Complex& u(int j, int k, int d) const { return data_[row_start(j) + upper_index(k, d)]; }

    // Streaming access for the substitutions.
    int lower_count(int k) const { return lower_count_[static_cast<std::size_t>(k)]; }
    int upper_count(int k) const { return upper_count_[static_cast<std::size_t>(k)]; }
    const Complex* lower_part(int j) const { return data_.data() + row_start(j); }
    const Complex* upper_part(int j) const { return data_.data() + row_start(j) + lower_size_; }
    std::size_t entries_per_row() const { return per_row_; }

private:
    std::size_t row_start(int j) const { return static_cast<std::size_t>(j - 1) * per_row_; }
    // l(k + d, k) sits in the lower part of row k + d, d - 1 places after its start
    // (the pivot after the off-diagonal entries).
    std::size_t lower_index(int k, int d) const {
        const std::size_t r = static_cast<std::size_t>(k + d);
        return d == 0 ? lower_start_[r] + lower_count_[r]
                      : lower_start_[r] + static_cast<std::size_t>(d - 1);
    }
    std::size_t upper_index(int k, int d) const {
        return lower_size_ + upper_start_[static_cast<std::size_t>(k)] +
               static_cast<std::size_t>(d - 1);
    }

    int nx_ = 0, ny_ = 0, n_ = 0;
    std::size_t per_row_ = 0, lower_size_ = 0;
    std::vector<std::uint8_t> lower_count_, upper_count_;    // 1 .. n
    std::vector<std::uint32_t> lower_start_, upper_start_;  // 1 .. n, within a row
    std::vector<Complex> data_;
};

// Scratch vectors of one row solve (one per thread when rows run in parallel).
struct RowWorkspace {
    explicit RowWorkspace(int nx);
    Band a;
    std::vector<Complex> rhs, answer, y;  // 1 .. 6 nx + 2 (index 0 unused)
};

// Assemble the row system of row j of the problem (with the Robin
// coefficients beta) into ws.a and factorise it into row j of the factors.
void coeflu(int j, const FrequencyProblem& pb, const RobinCoefficients& beta, RowWorkspace& ws,
            RowFactors& factors);

class ThreadWorkspaces;

// coeflu for every row j = 1 .. ny. Each row has its own slot of the factors,
// so the rows are factorised in parallel, each with its thread's workspace.
void factorise_rows(const FrequencyProblem& pb, const RobinCoefficients& beta,
                    ThreadWorkspaces& workspaces, RowFactors& factors);

// Crout factorisation of the band a into row j of the factors. Entries of a
// outside the profile are not read.
void factor15(int nx, int j, const Band& a, RowFactors& factors);

// Solve the row system of row j: rhs(1..n) in, answer(1..n) out; y is scratch.
// The spans are 1-based (index 0 unused) and hold at least n + 1 entries.
void solver15(int nx, int j, std::span<const Complex> rhs, const RowFactors& factors,
              std::span<Complex> answer, std::span<Complex> y);

// solver15 for count = 1 .. kRowGroup rows at once, rows[r] with the
// right-hand side, answer and scratch of ws[r]: each answer bit for bit what
// solver15 gives for its row alone, in less time than one call per row.
constexpr int kRowGroup = 4;
void solver15_rows(int nx, int count, const int* rows, RowWorkspace* const* ws,
                   const RowFactors& factors);

}  // namespace ef
