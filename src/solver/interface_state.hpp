// The working storage of the domain-decomposition iteration: the traces of
// both displacement components on the four edges of every element, the
// Lagrange multipliers on the left and bottom edges, and the previous iterate
// of each. Carried from one frequency to the next; zeroed once per run. Only
// the iteration reads it: what it hands on is a WaveField (copy_traces).
#pragma once

#include <vector>

#include "common/complex.hpp"
#include "common/grid2.hpp"
#include "solver/wave_field.hpp"

namespace ef {

struct RowTerms;  // scratch of one row's error terms

struct InterfaceState {
    InterfaceState() = default;
    InterfaceState(int nx, int ny);

    // current traces
    Grid2<Complex> u1ln, u1tn, u1bn, u1rn, u2ln, u2tn, u2bn, u2rn;
    // current multipliers (left and bottom edges)
    Grid2<Complex> lag1ln, lag2ln, lag1bn, lag2bn;
    // previous iterate of all twelve
    Grid2<Complex> u1lnp1, u1tnp1, u1bnp1, u1rnp1, u2lnp1, u2tnp1, u2bnp1, u2rnp1;
    Grid2<Complex> lag1lnp1, lag2lnp1, lag1bnp1, lag2bnp1;

    // The eight current trace arrays, ring included, into the field (sized
    // to the state's grid).
    void copy_traces(WaveField& field) const;

    // Copy the twelve current arrays into their previous iterates (ring included).
    void save_previous();
    // The same for the rows j0 .. j1 only (0 <= j0, j1 <= ny + 1).
    void save_previous_rows(int j0, int j1);
    // The reverse of save_previous for the odd rows: their current arrays
    // (interior elements) back from the previous iterate.
    void restore_odd_rows();
    // current = 0.99 current + (1 - 0.99) previous, interior elements only.
    void relax();
    // Global relative error between previous and current traces; sets
    // gerror and denomin as the iteration control defines them (iteration >= 2).
    void global_error(double& gerror, double& denomin) const;
    // relax(), then, when measure is set, global_error(gerror, denomin): the
    // same results, in one pass over the rows.
    void relax_and_measure(bool measure, double& gerror, double& denomin);

    // The pieces of relax_and_measure for a caller that shares out the rows
    // itself: size the scratch of the error terms, then for every row
    // j = 1 .. ny (in any order, on any thread) relax it, when measuring
    // fill its error terms, and when keep_previous is set copy the relaxed
    // row into the previous iterate (interior elements: the ring never
    // changes); then sum the terms in their fixed order.
    void size_error_terms() const;
    void relax_and_measure_row(int j, bool measure, bool keep_previous = false);
    void sum_error_terms(double& gerror, double& denomin) const;

private:
    void error_terms_row(int j) const;
    void store_error_terms(int j, RowTerms& terms) const;

    // Squared moduli of the changes and sums of every trace, in summation order
    // (scratch of global_error, filled row by row).
    // The 16 terms of an element fill two cache lines of their own: threads
    // filling neighbouring rows never write to the same line.
    mutable std::vector<double> error_storage_;
    mutable std::size_t error_count_ = 0;
    double* error_terms() const;
};

}  // namespace ef
