#include "driver/field_check.hpp"

#include <limits>

#include <gtest/gtest.h>

namespace ef {
namespace {

TEST(FieldCheck, AnyNonFiniteTraceAnywhereIsFound) {
    InterfaceState s(3, 2);
    EXPECT_TRUE(traces_finite(s));
    // Multipliers and previous iterates are not looked at.
    s.lag1bn(2, 1) = {std::numeric_limits<double>::quiet_NaN(), 0.0};
    s.u1lnp1(2, 1) = {std::numeric_limits<double>::infinity(), 0.0};
    EXPECT_TRUE(traces_finite(s));

    // The ring (receivers of column nx + 1 read it), real and imaginary parts.
    InterfaceState ring(3, 2);
    ring.u2tn(4, 3) = {0.0, std::numeric_limits<double>::quiet_NaN()};
    EXPECT_FALSE(traces_finite(ring));
    InterfaceState interior(3, 2);
    interior.u1rn(1, 1) = {-std::numeric_limits<double>::infinity(), 0.0};
    EXPECT_FALSE(traces_finite(interior));
}

}  // namespace
}  // namespace ef
