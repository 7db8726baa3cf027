#include <gtest/gtest.h>

#include "common/complex.hpp"

namespace {

using ef::Complex;

TEST(ComplexArithmetic, ScaledDivisionInvertsMultiplication) {
    const Complex z{3.25, -1.5}, p{-0.75, 2.0};
    const Complex q = (z * p) / p;
    EXPECT_NEAR(q.re, z.re, 1e-15);
    EXPECT_NEAR(q.im, z.im, 1e-15);
    // the tie |f| = |e| takes the second branch
    const Complex w = Complex{1.0, 0.0} / Complex{2.0, 2.0};
    EXPECT_EQ(w.re, 0.25);
    EXPECT_EQ(w.im, -0.25);
}

TEST(ComplexArithmetic, ReInvIsSafeForHugeParts) {
    EXPECT_DOUBLE_EQ(ef::re_inv(Complex{2.0, 0.0}), 0.5);
    EXPECT_DOUBLE_EQ(ef::re_inv(Complex{1e300, 1e300}), 0.5e-300);
    EXPECT_DOUBLE_EQ(ef::re_inv(Complex{3.0, 4.0}), 3.0 / 25.0);
}

}  // namespace
