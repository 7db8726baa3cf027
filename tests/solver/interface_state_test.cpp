// Relaxation and the global relative error on hand-made interface states.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "solver/interface_state.hpp"

namespace {

using ef::Complex;
using ef::InterfaceState;

TEST(InterfaceState, SavePreviousCopiesEverythingWithTheRing) {
    InterfaceState s(2, 2);
    s.u1ln(0, 0) = {1.0, 2.0};
    s.lag2bn(3, 3) = {-4.0, 0.5};
    s.u2tn(1, 2) = {7.0, 0.0};
    s.save_previous();
    EXPECT_EQ(s.u1lnp1(0, 0), (Complex{1.0, 2.0}));
    EXPECT_EQ(s.lag2bnp1(3, 3), (Complex{-4.0, 0.5}));
    EXPECT_EQ(s.u2tnp1(1, 2), (Complex{7.0, 0.0}));
}

TEST(InterfaceState, RelaxationWeightsAndRing) {
    InterfaceState s(2, 1);
    s.u1ln(1, 1) = {100.0, -50.0};
    s.u1lnp1(1, 1) = {1.0, 2.0};
    s.lag2bn(2, 1) = {3.0, 0.0};      // multipliers are relaxed too
    s.lag2bnp1(2, 1) = {0.0, 0.0};
    s.u2rn(3, 1) = {5.0, 5.0};        // ring: kept as it is
    s.u2rnp1(3, 1) = {0.0, 0.0};
    s.relax();
    const double w = 1.0 - 0.99;
    EXPECT_EQ(w, 0.010000000000000009);
    EXPECT_EQ(s.u1ln(1, 1).re, 0.99 * 100.0 + w * 1.0);
    EXPECT_EQ(s.u1ln(1, 1).im, 0.99 * -50.0 + w * 2.0);
    EXPECT_EQ(s.lag2bn(2, 1), (Complex{0.99 * 3.0, 0.0}));
    EXPECT_EQ(s.u2rn(3, 1), (Complex{5.0, 5.0}));
}

TEST(InterfaceState, GlobalErrorOfAHandMadeState) {
    InterfaceState s(2, 1);
    // previous 3 + 4i, current 0 on one edge: D = 25, T = 25 -> gerror = 2
    s.u1tnp1(1, 1) = {3.0, 4.0};
    double gerror = -1.0, denomin = -1.0;
    s.global_error(gerror, denomin);
    EXPECT_EQ(denomin, 25.0);
    EXPECT_EQ(gerror, 2.0);

    // identical iterates: no change, denominator four times the energy
    InterfaceState same(2, 1);
    same.u2rn(2, 1) = {1.0, 1.0};
    same.u2rnp1(2, 1) = {1.0, 1.0};
    same.u1ln(1, 1) = {0.0, 2.0};
    same.u1lnp1(1, 1) = {0.0, 2.0};
    same.global_error(gerror, denomin);
    EXPECT_EQ(gerror, 0.0);
    EXPECT_DOUBLE_EQ(denomin, 4.0 * (2.0 + 4.0));

    // the multipliers and the ring do not enter
    same.lag1ln(1, 1) = {9.0, 9.0};
    same.u1ln(0, 1) = {9.0, 9.0};
    same.global_error(gerror, denomin);
    EXPECT_EQ(gerror, 0.0);
}

TEST(InterfaceState, GlobalErrorIsRelativeAboveTheThreshold) {
    auto error_of = [](double scale) {
        InterfaceState s(3, 2);
        for (int j = 1; j <= 2; ++j)
            for (int i = 1; i <= 3; ++i) {
                s.u1bn(i, j) = {scale * i, scale * j};
                s.u1bnp1(i, j) = {scale * (i + 0.1), scale * j};
                s.u2ln(i, j) = {-scale * j, 0.0};
                s.u2lnp1(i, j) = {-scale * j, scale * 0.05};
            }
        double g = 0.0, d = 0.0;
        s.global_error(g, d);
        return g;
    };
    EXPECT_NEAR(error_of(1.0), error_of(1e5), 1e-14);
    // below the threshold the denominator is one: the absolute change counts
    // (six changes of 0.1 and six of 0.05, times the scale)
    EXPECT_NEAR(error_of(1e-9), 2.0 * 1e-9 * std::sqrt(6 * 0.01 + 6 * 0.0025), 1e-20);
}

TEST(InterfaceState, ZeroAndEmptyFields) {
    double gerror = -1.0, denomin = -1.0;
    InterfaceState zero(4, 3);
    zero.global_error(gerror, denomin);
    EXPECT_EQ(gerror, 0.0);
    EXPECT_EQ(denomin, 1.0);

    // a change on a zero field: denominator one, twice the root of the change
    zero.u2bn(2, 2) = {3e-7, 4e-7};
    zero.global_error(gerror, denomin);
    EXPECT_EQ(denomin, 1.0);
    EXPECT_DOUBLE_EQ(gerror, 2.0 * 5e-7);

    InterfaceState empty(0, 0);
    gerror = denomin = -1.0;
    empty.global_error(gerror, denomin);
    EXPECT_EQ(gerror, 0.0);
    EXPECT_EQ(denomin, 1.0);
    empty.relax();
    empty.save_previous();
}

}  // namespace

namespace {

TEST(InterfaceState, GlobalErrorSumsInTheFixedOrder) {
    // the running sums over i (outer), j (inner) and the eight traces, bit for bit
    const int nx = 7, ny = 5;
    InterfaceState s(nx, ny);
    std::mt19937 gen(3);
    std::uniform_real_distribution<double> uni(-1.0, 1.0);
    ef::Grid2<Complex>* grids[16] = {&s.u1ln, &s.u1tn, &s.u1bn, &s.u1rn, &s.u2ln, &s.u2tn, &s.u2bn, &s.u2rn,
                                     &s.u1lnp1, &s.u1tnp1, &s.u1bnp1, &s.u1rnp1,
                                     &s.u2lnp1, &s.u2tnp1, &s.u2bnp1, &s.u2rnp1};
    for (auto* g : grids)
        for (std::size_t k = 0; k < g->size(); ++k) g->data()[k] = {uni(gen), 1e3 * uni(gen)};
    double change = 0.0, total = 0.0;
    for (int i = 1; i <= nx; ++i)
        for (int j = 1; j <= ny; ++j)
            for (int a = 0; a < 8; ++a) {
                const Complex c = (*grids[a])(i, j), p = (*grids[a + 8])(i, j);
                const double d = std::hypot(p.re - c.re, p.im - c.im);
                const double t = std::hypot(p.re + c.re, p.im + c.im);
                change = change + d * d;
                total = total + t * t;
            }
    double gerror = 0.0, denomin = 0.0;
    s.global_error(gerror, denomin);
    EXPECT_EQ(denomin, total);
    EXPECT_EQ(gerror, 2.0 * std::sqrt(change / total));
}

}  // namespace
