// The batched squared moduli against the C library's hypot, bit for bit, on
// both code paths: numbers spread over the whole exponent range, near the
// switch between the two correction formulas (a close to sqrt(3) b), near the
// negligible ratio 2^-54, at the edges of the unscaled range, and the special
// values (zeros, subnormals, infinities, NaN, negative zero).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "common/modulus.hpp"

namespace {

struct Sample {
    std::vector<double> x, y;
    void add(double a, double b) {
        x.push_back(a);
        y.push_back(b);
    }
};

double unit(std::mt19937_64& g) { return static_cast<double>(g() >> 11) * 0x1p-53; }
double sign(std::mt19937_64& g) { return (g() & 1) ? -1.0 : 1.0; }

Sample samples() {
    std::mt19937_64 g(20261207);
    Sample s;
    const int n = 200000;
    for (int k = 0; k < n; ++k)  // any exponents, subnormals included
        s.add(sign(g) * std::ldexp(unit(g), static_cast<int>(g() % 2100) - 1075),
              sign(g) * std::ldexp(unit(g), static_cast<int>(g() % 2100) - 1075));
    for (int k = 0; k < n; ++k) {  // comparable magnitudes
        const double a = std::ldexp(1.0 + unit(g), static_cast<int>(g() % 40) - 20);
        s.add(sign(g) * a, sign(g) * a * (0.25 + 1.5 * unit(g)));
    }
    for (int k = 0; k < n; ++k) {  // h close to 2b: a close to sqrt(3) b
        const double a = std::ldexp(1.0 + unit(g), static_cast<int>(g() % 60) - 30);
        const double wiggle = 1.0 + static_cast<double>(static_cast<int>(g() % 128) - 64) * 0x1p-52;
        s.add(a, a / std::sqrt(3.0) * wiggle);
    }
    for (int k = 0; k < n; ++k) {  // every ratio down to far below 2^-54
        const double a = std::ldexp(1.0 + unit(g), static_cast<int>(g() % 1100) - 540);
        s.add(sign(g) * a, sign(g) * std::ldexp(a * (1.0 + unit(g)), -static_cast<int>(g() % 70)));
    }
    for (int k = 0; k < n; ++k) {  // any bit pattern
        const std::uint64_t a = g(), b = g();
        double u, v;
        std::memcpy(&u, &a, 8);
        std::memcpy(&v, &b, 8);
        s.add(u, v);
    }
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double special[] = {0.0, -0.0, 0x1p-1074, 0x1p-1022, 0x1p-459, 0x1.fffffffffffffp-460,
                              0x1p511, 0x1.0000000000001p511, 0x1p-54, 1.0, 3.0, 4.0,
                              std::numeric_limits<double>::max(), inf, -inf, nan};
    for (double a : special)
        for (double b : special) s.add(a, b);
    return s;
}

bool same_bits(double a, double b) {
    if (std::isnan(a) || std::isnan(b)) return std::isnan(a) && std::isnan(b);
    return std::memcmp(&a, &b, sizeof a) == 0;
}

TEST(SquaredModuli, EqualTheLibraryHypotSquaredOnEveryPath) {
    const Sample s = samples();
    const std::size_t n = s.x.size();
    for (int path : {0, 1, 2}) {
        std::vector<double> out(n);
        ef::squared_moduli_path(path, s.x.data(), s.y.data(), out.data(), n);
        int mismatches = 0;
        for (std::size_t k = 0; k < n; ++k) {
            const double h = std::hypot(s.x[k], s.y[k]);
            if (!same_bits(out[k], h * h) && ++mismatches <= 5)
                ADD_FAILURE() << "path " << path << ": hypot(" << std::hexfloat << s.x[k] << ", "
                              << s.y[k] << ")^2 = " << h * h << ", got " << out[k];
        }
        EXPECT_EQ(mismatches, 0) << "path " << path;
    }
}

TEST(SquaredModuli, AnyLengthAndOffset) {
    // every remainder of the four-wide steps, from unaligned starts
    std::vector<double> x(40), y(40);
    for (int k = 0; k < 40; ++k) {
        x[static_cast<std::size_t>(k)] = 1.0 + k;
        y[static_cast<std::size_t>(k)] = k % 3 == 0 ? 0.0 : 0.5 * k;
    }
    for (std::size_t start = 0; start < 4; ++start)
        for (std::size_t n = 0; n + start <= 40; ++n) {
            std::vector<double> out(n + 1, -7.0);
            ef::squared_moduli(x.data() + start, y.data() + start, out.data(), n);
            for (std::size_t k = 0; k < n; ++k) {
                const double h = std::hypot(x[start + k], y[start + k]);
                ASSERT_TRUE(same_bits(out[k], h * h)) << start << " " << n << " " << k;
            }
            EXPECT_EQ(out[n], -7.0) << "wrote past the end";
        }
}

}  // namespace
