// Interface state of the domain-decomposition iteration: save, relaxation and
// the global relative error.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "common/isa.hpp"
#include "common/modulus.hpp"
#include "solver/interface_state.hpp"
#include "solver/thread_workspaces.hpp"

namespace ef {

InterfaceState::InterfaceState(int nx, int ny)
    : u1ln(nx, ny), u1tn(nx, ny), u1bn(nx, ny), u1rn(nx, ny),
      u2ln(nx, ny), u2tn(nx, ny), u2bn(nx, ny), u2rn(nx, ny),
      lag1ln(nx, ny), lag2ln(nx, ny), lag1bn(nx, ny), lag2bn(nx, ny),
      u1lnp1(nx, ny), u1tnp1(nx, ny), u1bnp1(nx, ny), u1rnp1(nx, ny),
      u2lnp1(nx, ny), u2tnp1(nx, ny), u2bnp1(nx, ny), u2rnp1(nx, ny),
      lag1lnp1(nx, ny), lag2lnp1(nx, ny), lag1bnp1(nx, ny), lag2bnp1(nx, ny) {}

void InterfaceState::copy_traces(WaveField& field) const {
    if (field.nx() != u1ln.nx() || field.ny() != u1ln.ny()) field = WaveField(u1ln.nx(), u1ln.ny());
    field.grid(1, Edge::left) = u1ln;
    field.grid(1, Edge::top) = u1tn;
    field.grid(1, Edge::bottom) = u1bn;
    field.grid(1, Edge::right) = u1rn;
    field.grid(2, Edge::left) = u2ln;
    field.grid(2, Edge::top) = u2tn;
    field.grid(2, Edge::bottom) = u2bn;
    field.grid(2, Edge::right) = u2rn;
}

void InterfaceState::save_previous() {
    if (u1ln.size() == 0) return;  // never sized
    const int nx = u1ln.nx(), ny = u1ln.ny();
    // whole rows, ring included, handed out to the threads a few at a time
#pragma omp parallel for schedule(dynamic, 4) if (rows_in_parallel(nx, ny))
    for (int j = 0; j <= ny + 1; ++j) save_previous_rows(j, j);
}

void InterfaceState::save_previous_rows(int j0, int j1) {
    Grid2<Complex>* current[12] = {&u1ln, &u1tn, &u1bn, &u1rn, &u2ln, &u2tn,
                                   &u2bn, &u2rn, &lag1ln, &lag2ln, &lag1bn, &lag2bn};
    Grid2<Complex>* previous[12] = {&u1lnp1, &u1tnp1, &u1bnp1, &u1rnp1,
                                    &u2lnp1, &u2tnp1, &u2bnp1, &u2rnp1,
                                    &lag1lnp1, &lag2lnp1, &lag1bnp1, &lag2bnp1};
    const std::size_t width = static_cast<std::size_t>(u1ln.nx()) + 2;
    for (int j = j0; j <= j1; ++j)
        for (int a = 0; a < 12; ++a)
            std::copy_n(&(*current[a])(0, j), width, &(*previous[a])(0, j));
}

void InterfaceState::restore_odd_rows() {
    Grid2<Complex>* current[12] = {&u1ln, &u1tn, &u1bn, &u1rn, &u2ln, &u2tn,
                                   &u2bn, &u2rn, &lag1ln, &lag2ln, &lag1bn, &lag2bn};
    const Grid2<Complex>* previous[12] = {&u1lnp1, &u1tnp1, &u1bnp1, &u1rnp1,
                                          &u2lnp1, &u2tnp1, &u2bnp1, &u2rnp1,
                                          &lag1lnp1, &lag2lnp1, &lag1bnp1, &lag2bnp1};
    const int nx = u1ln.nx(), ny = u1ln.ny();
    for (int j = 1; j <= ny; j += 2)
        for (int a = 0; a < 12; ++a)
            std::copy_n(&(*previous[a])(1, j), nx, &(*current[a])(1, j));
}

namespace {
constexpr double kWeight = 0.99;
constexpr double kPreviousWeight = 1.0 - 0.99;  // 0.010000000000000009
}  // namespace

// Per-thread scratch of the error terms of one row: the real and imaginary
// parts of previous - current and previous + current, 16 per element, and
// their squared moduli.
struct RowTerms {
    std::vector<double> re, im, moduli;
    static RowTerms& local(int nx) {
        thread_local RowTerms t;
        const std::size_t n = 16 * static_cast<std::size_t>(nx);
        if (t.re.size() < n) {
            t.re.resize(n);
            t.im.resize(n);
            t.moduli.resize(n);
        }
        return t;
    }
};

namespace {

// One trace of one row: the changes and sums of its nx elements into the
// slots 2a and 2a + 1 of each element's 16.
inline void changes_and_sums(int a, int nx, const Complex* p, const Complex* c, RowTerms& t) {
    for (int i = 0; i < nx; ++i) {
        const std::size_t k = 16 * static_cast<std::size_t>(i) + 2 * static_cast<std::size_t>(a);
        t.re[k] = p[i].re - c[i].re;
        t.im[k] = p[i].im - c[i].im;
        t.re[k + 1] = p[i].re + c[i].re;
        t.im[k + 1] = p[i].im + c[i].im;
    }
}

}  // namespace

// Relax row j; when measuring, the error terms of the relaxed traces; when
// keeping, the relaxed row also into the previous iterate. One pass over the
// row: each array is read once and written once or twice.
EF_AVX2_CLONES void InterfaceState::relax_and_measure_row(int j, bool measure, bool keep_previous) {
    Grid2<Complex>* current[12] = {&u1ln, &u1tn, &u1bn, &u1rn, &u2ln, &u2tn,
                                   &u2bn, &u2rn, &lag1ln, &lag2ln, &lag1bn, &lag2bn};
    Grid2<Complex>* previous[12] = {&u1lnp1, &u1tnp1, &u1bnp1, &u1rnp1,
                                    &u2lnp1, &u2tnp1, &u2bnp1, &u2rnp1,
                                    &lag1lnp1, &lag2lnp1, &lag1bnp1, &lag2bnp1};
    const int nx = u1ln.nx();
    RowTerms* terms = measure ? &RowTerms::local(nx) : nullptr;
    for (int a = 0; a < 12; ++a) {
        Complex* cr = &(*current[a])(1, j);
        Complex* pr = &(*previous[a])(1, j);
        for (int i = 0; i < nx; ++i) {
            cr[i].re = kWeight * cr[i].re + kPreviousWeight * pr[i].re;
            cr[i].im = kWeight * cr[i].im + kPreviousWeight * pr[i].im;
        }
        if (terms && a < 8) changes_and_sums(a, nx, pr, cr, *terms);
        if (keep_previous) std::copy_n(cr, nx, pr);
    }
    if (terms) store_error_terms(j, *terms);
}

// |previous - current|^2 and |previous + current|^2 of every trace of row j.
EF_AVX2_CLONES void InterfaceState::error_terms_row(int j) const {
    const Grid2<Complex>* current[8] = {&u1ln, &u1tn, &u1bn, &u1rn, &u2ln, &u2tn, &u2bn, &u2rn};
    const Grid2<Complex>* previous[8] = {&u1lnp1, &u1tnp1, &u1bnp1, &u1rnp1,
                                         &u2lnp1, &u2tnp1, &u2bnp1, &u2rnp1};
    const int nx = u1ln.nx();
    RowTerms& terms = RowTerms::local(nx);
    for (int a = 0; a < 8; ++a)
        changes_and_sums(a, nx, &(*previous[a])(1, j), &(*current[a])(1, j), terms);
    store_error_terms(j, terms);
}

// The moduli (the library's hypot, squared) of a row's changes and sums;
// element (i, j) gets its 16 terms at its place in the summation order of
// the error (i outer, j inner).
void InterfaceState::store_error_terms(int j, RowTerms& t) const {
    const int nx = u1ln.nx();
    const std::size_t ny = static_cast<std::size_t>(u1ln.ny());
    squared_moduli(t.re.data(), t.im.data(), t.moduli.data(), 16 * static_cast<std::size_t>(nx));
    double* const all = error_terms();
    for (int i = 0; i < nx; ++i)
        std::copy_n(t.moduli.data() + 16 * static_cast<std::size_t>(i), 16,
                    all + 16 * (static_cast<std::size_t>(i) * ny + static_cast<std::size_t>(j - 1)));
}

void InterfaceState::sum_error_terms(double& gerror, double& denomin) const {
    // the two sums, in the one fixed order, whatever filled the terms
    double change = 0.0, total = 0.0;
    const double* term = error_terms();
    const std::size_t count = error_count_ / 2;
    for (std::size_t k = 0; k < count; ++k) {
        change = change + term[2 * k];
        total = total + term[2 * k + 1];
    }
    denomin = total < 1e-12 ? 1.0 : total;
    gerror = 2.0 * std::sqrt(change / denomin);
}

double* InterfaceState::error_terms() const {
    // the first term on a 64-byte boundary
    const std::uintptr_t at = reinterpret_cast<std::uintptr_t>(error_storage_.data());
    return error_storage_.data() + ((64 - at % 64) % 64) / sizeof(double);
}

void InterfaceState::size_error_terms() const {
    const int nx = u1ln.nx(), ny = u1ln.ny();
    const std::size_t elements =
        nx > 0 && ny > 0 ? static_cast<std::size_t>(nx) * static_cast<std::size_t>(ny) : 0;
    error_count_ = 16 * elements;
    if (error_storage_.size() < error_count_ + 8) error_storage_.assign(error_count_ + 8, 0.0);
}

void InterfaceState::relax() {
    const int nx = u1ln.nx(), ny = u1ln.ny();
#pragma omp parallel for schedule(static) if (rows_in_parallel(nx, ny))
    for (int j = 1; j <= ny; ++j) relax_and_measure_row(j, false, false);
}

void InterfaceState::global_error(double& gerror, double& denomin) const {
    const int nx = u1ln.nx(), ny = u1ln.ny();
    size_error_terms();
#pragma omp parallel for schedule(static) if (rows_in_parallel(nx, ny))
    for (int j = 1; j <= ny; ++j) error_terms_row(j);
    sum_error_terms(gerror, denomin);
}

void InterfaceState::relax_and_measure(bool measure, double& gerror, double& denomin) {
    const int nx = u1ln.nx(), ny = u1ln.ny();
    if (measure) size_error_terms();
    // each row's terms right after its relaxation, while the row is in cache;
    // rows handed out to the threads a few at a time
#pragma omp parallel for schedule(dynamic, 4) if (rows_in_parallel(nx, ny))
    for (int j = 1; j <= ny; ++j) relax_and_measure_row(j, measure, false);
    if (measure) sum_error_terms(gerror, denomin);
}

}  // namespace ef
