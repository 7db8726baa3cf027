// Interface state of the domain-decomposition iteration: save, relaxation and
// the global relative error.
#include <algorithm>
#include <cmath>

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

namespace {
constexpr double kWeight = 0.99;
constexpr double kPreviousWeight = 1.0 - 0.99;  // 0.010000000000000009
}  // namespace

void InterfaceState::relax_row(int j) {
    Grid2<Complex>* current[12] = {&u1ln, &u1tn, &u1bn, &u1rn, &u2ln, &u2tn,
                                   &u2bn, &u2rn, &lag1ln, &lag2ln, &lag1bn, &lag2bn};
    const Grid2<Complex>* previous[12] = {&u1lnp1, &u1tnp1, &u1bnp1, &u1rnp1,
                                          &u2lnp1, &u2tnp1, &u2bnp1, &u2rnp1,
                                          &lag1lnp1, &lag2lnp1, &lag1bnp1, &lag2bnp1};
    const int nx = u1ln.nx();
    for (int a = 0; a < 12; ++a) {
        Complex* cr = &(*current[a])(1, j);
        const Complex* pr = &(*previous[a])(1, j);
        for (int i = 0; i < nx; ++i) {
            cr[i].re = kWeight * cr[i].re + kPreviousWeight * pr[i].re;
            cr[i].im = kWeight * cr[i].im + kPreviousWeight * pr[i].im;
        }
    }
}

// |previous - current|^2 and |previous + current|^2 of every trace of row j;
// element (i, j) gets the 16 terms at its place in the summation order of the
// error (i outer, j inner). The moduli are the library's hypot, squared.
void InterfaceState::error_terms_row(int j) const {
    const Grid2<Complex>* current[8] = {&u1ln, &u1tn, &u1bn, &u1rn, &u2ln, &u2tn, &u2bn, &u2rn};
    const Grid2<Complex>* previous[8] = {&u1lnp1, &u1tnp1, &u1bnp1, &u1rnp1,
                                         &u2lnp1, &u2tnp1, &u2bnp1, &u2rnp1};
    const int nx = u1ln.nx();
    const std::size_t ny = static_cast<std::size_t>(u1ln.ny());
    // the row's changes and sums, element by element, 16 numbers each
    const std::size_t terms = 16 * static_cast<std::size_t>(nx);
    thread_local std::vector<double> re, im;
    if (re.size() < terms) {
        re.resize(terms);
        im.resize(terms);
    }
    for (int a = 0; a < 8; ++a) {
        const Complex* c = &(*current[a])(1, j);
        const Complex* p = &(*previous[a])(1, j);
        for (int i = 0; i < nx; ++i) {
            const std::size_t k = 16 * static_cast<std::size_t>(i) + 2 * static_cast<std::size_t>(a);
            re[k] = p[i].re - c[i].re;
            im[k] = p[i].im - c[i].im;
            re[k + 1] = p[i].re + c[i].re;
            im[k + 1] = p[i].im + c[i].im;
        }
    }
    for (int i = 0; i < nx; ++i) {
        const std::size_t k = 16 * static_cast<std::size_t>(i);
        double* slot = error_terms_.data() +
                       16 * (static_cast<std::size_t>(i) * ny + static_cast<std::size_t>(j - 1));
        squared_moduli(re.data() + k, im.data() + k, slot, 16);
    }
}

void InterfaceState::sum_error_terms(double& gerror, double& denomin) const {
    // the two sums, in the one fixed order, whatever filled the terms
    double change = 0.0, total = 0.0;
    const double* term = error_terms_.data();
    const std::size_t count = error_terms_.size() / 2;
    for (std::size_t k = 0; k < count; ++k) {
        change = change + term[2 * k];
        total = total + term[2 * k + 1];
    }
    denomin = total < 1e-12 ? 1.0 : total;
    gerror = 2.0 * std::sqrt(change / denomin);
}

void InterfaceState::size_error_terms() const {
    const int nx = u1ln.nx(), ny = u1ln.ny();
    const std::size_t elements =
        nx > 0 && ny > 0 ? static_cast<std::size_t>(nx) * static_cast<std::size_t>(ny) : 0;
    error_terms_.resize(16 * elements);
}

void InterfaceState::relax() {
    const int nx = u1ln.nx(), ny = u1ln.ny();
#pragma omp parallel for schedule(static) if (rows_in_parallel(nx, ny))
    for (int j = 1; j <= ny; ++j) relax_row(j);
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
    for (int j = 1; j <= ny; ++j) {
        relax_row(j);
        if (measure) error_terms_row(j);
    }
    if (measure) sum_error_terms(gerror, denomin);
}

}  // namespace ef
