// Squared moduli, the library's hypot reproduced step by step (see the
// header), one number at a time, or four or eight side by side.
#include "common/modulus.hpp"

#include "common/isa.hpp"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include <cmath>

namespace ef {

namespace {

// The range of the corrected square root: a <= 2^511 keeps a a finite,
// b >= 2^-459 keeps b b normal; b <= a 2^-54 is negligible next to a, and
// so is a smaller b when a >= b 2^54 (b = 0 for one).
constexpr double kLargest = 0x1p511;
constexpr double kSmallest = 0x1p-459;
constexpr double kNegligible = 0x1p-54;

double corrected_root(double a, double b) {
    const double h = std::sqrt(a * a + b * b);
    double t1, t2;
    if (h <= b + b) {
        const double d = h - b;
        t1 = ((d + d) - a) * a;
        t2 = (d - ((a - b) + (a - b))) * d;
    } else {
        const double d = h - a;
        t1 = (d + d) * (a - (b + b));
        t2 = (4.0 * d - b) * b + d * d;
    }
    return h - (t1 + t2) / (h + h);
}

double modulus(double x, double y) {
    const double ax = std::fabs(x), ay = std::fabs(y);
    const double a = ax < ay ? ay : ax;
    const double b = ax < ay ? ax : ay;
    if (a <= kLargest) {
        if (b >= kSmallest) return b <= a * kNegligible ? a + b : corrected_root(a, b);
        if (a >= b * (1.0 / kNegligible)) return a + b;  // zero included
    }
    return std::hypot(x, y);
}

void squared_moduli_scalar(const double* x, const double* y, double* out, std::size_t n) {
    for (std::size_t k = 0; k < n; ++k) {
        const double h = modulus(x[k], y[k]);
        out[k] = h * h;
    }
}

#ifdef EF_HAVE_AVX2_PATHS

// Four numbers per step, both branches of the correction formed and the
// right one picked lane by lane; lanes outside the range are redone one at a
// time.
__attribute__((target("avx2"))) void squared_moduli_avx2(const double* x, const double* y,
                                                         double* out, std::size_t n) {
    const __m256d sign = _mm256_set1_pd(-0.0);
    const __m256d largest = _mm256_set1_pd(kLargest);
    const __m256d smallest = _mm256_set1_pd(kSmallest);
    const __m256d negligible = _mm256_set1_pd(kNegligible);
    const __m256d inverse_negligible = _mm256_set1_pd(1.0 / kNegligible);
    const __m256d four = _mm256_set1_pd(4.0);
    std::size_t k = 0;
    for (; k + 4 <= n; k += 4) {
        const __m256d ax = _mm256_andnot_pd(sign, _mm256_loadu_pd(x + k));
        const __m256d ay = _mm256_andnot_pd(sign, _mm256_loadu_pd(y + k));
        const __m256d a = _mm256_max_pd(ax, ay);
        const __m256d b = _mm256_min_pd(ax, ay);
        // in range: the corrected root, or b negligible (zero included)
        const __m256d normal_b = _mm256_cmp_pd(b, smallest, _CMP_GE_OQ);
        const __m256d small = _mm256_or_pd(
            _mm256_and_pd(normal_b, _mm256_cmp_pd(b, _mm256_mul_pd(a, negligible), _CMP_LE_OQ)),
            _mm256_andnot_pd(normal_b, _mm256_cmp_pd(a, _mm256_mul_pd(b, inverse_negligible),
                                                     _CMP_GE_OQ)));
        const __m256d in_range =
            _mm256_and_pd(_mm256_cmp_pd(ax, ay, _CMP_ORD_Q),
                          _mm256_and_pd(_mm256_cmp_pd(a, largest, _CMP_LE_OQ),
                                        _mm256_or_pd(normal_b, small)));

        const __m256d h = _mm256_sqrt_pd(_mm256_add_pd(_mm256_mul_pd(a, a), _mm256_mul_pd(b, b)));
        const __m256d b2 = _mm256_add_pd(b, b);
        const __m256d near = _mm256_cmp_pd(h, b2, _CMP_LE_OQ);  // h <= 2b

        const __m256d dn = _mm256_sub_pd(h, b);
        const __m256d amb = _mm256_sub_pd(a, b);
        const __m256d t1n = _mm256_mul_pd(_mm256_sub_pd(_mm256_add_pd(dn, dn), a), a);
        const __m256d t2n = _mm256_mul_pd(_mm256_sub_pd(dn, _mm256_add_pd(amb, amb)), dn);

        const __m256d df = _mm256_sub_pd(h, a);
        const __m256d t1f = _mm256_mul_pd(_mm256_add_pd(df, df), _mm256_sub_pd(a, b2));
        const __m256d t2f = _mm256_add_pd(
            _mm256_mul_pd(_mm256_sub_pd(_mm256_mul_pd(four, df), b), b), _mm256_mul_pd(df, df));

        const __m256d t = _mm256_add_pd(_mm256_blendv_pd(t1f, t1n, near),
                                        _mm256_blendv_pd(t2f, t2n, near));
        const __m256d root = _mm256_sub_pd(h, _mm256_div_pd(t, _mm256_add_pd(h, h)));
        const __m256d sum = _mm256_add_pd(a, b);
        const __m256d m = _mm256_blendv_pd(root, sum, small);
        _mm256_storeu_pd(out + k, _mm256_mul_pd(m, m));

        const int lanes = _mm256_movemask_pd(in_range);
        if (lanes != 0xF)
            for (int l = 0; l < 4; ++l)
                if (!(lanes & (1 << l))) {
                    const double r = std::hypot(x[k + l], y[k + l]);
                    out[k + l] = r * r;
                }
    }
    squared_moduli_scalar(x + k, y + k, out + k, n - k);
}

// Eight numbers per step, the same steps with AVX-512 masks. It repeats the
// four-wide version line for line on purpose: the two widths are the two
// instruction sets' spellings of one sequence of operations, and any change
// to one must be made to the other.
__attribute__((target("avx512f"))) void squared_moduli_avx512(const double* x, const double* y,
                                                              double* out, std::size_t n) {
    const __m512d largest = _mm512_set1_pd(kLargest);
    const __m512d smallest = _mm512_set1_pd(kSmallest);
    const __m512d negligible = _mm512_set1_pd(kNegligible);
    const __m512d inverse_negligible = _mm512_set1_pd(1.0 / kNegligible);
    const __m512d four = _mm512_set1_pd(4.0);
    std::size_t k = 0;
    for (; k + 8 <= n; k += 8) {
        const __m512d ax = _mm512_abs_pd(_mm512_loadu_pd(x + k));
        const __m512d ay = _mm512_abs_pd(_mm512_loadu_pd(y + k));
        const __m512d a = _mm512_max_pd(ax, ay);
        const __m512d b = _mm512_min_pd(ax, ay);
        // in range: the corrected root, or b negligible (zero included)
        const __mmask8 normal_b = _mm512_cmp_pd_mask(b, smallest, _CMP_GE_OQ);
        const __mmask8 small =
            (normal_b & _mm512_cmp_pd_mask(b, _mm512_mul_pd(a, negligible), _CMP_LE_OQ)) |
            (static_cast<__mmask8>(~normal_b) &
             _mm512_cmp_pd_mask(a, _mm512_mul_pd(b, inverse_negligible), _CMP_GE_OQ));
        const __mmask8 in_range = _mm512_cmp_pd_mask(ax, ay, _CMP_ORD_Q) &
                                  _mm512_cmp_pd_mask(a, largest, _CMP_LE_OQ) &
                                  (normal_b | small);

        const __m512d h = _mm512_sqrt_pd(_mm512_add_pd(_mm512_mul_pd(a, a), _mm512_mul_pd(b, b)));
        const __m512d b2 = _mm512_add_pd(b, b);
        const __mmask8 near = _mm512_cmp_pd_mask(h, b2, _CMP_LE_OQ);  // h <= 2b

        const __m512d dn = _mm512_sub_pd(h, b);
        const __m512d amb = _mm512_sub_pd(a, b);
        const __m512d t1n = _mm512_mul_pd(_mm512_sub_pd(_mm512_add_pd(dn, dn), a), a);
        const __m512d t2n = _mm512_mul_pd(_mm512_sub_pd(dn, _mm512_add_pd(amb, amb)), dn);

        const __m512d df = _mm512_sub_pd(h, a);
        const __m512d t1f = _mm512_mul_pd(_mm512_add_pd(df, df), _mm512_sub_pd(a, b2));
        const __m512d t2f = _mm512_add_pd(
            _mm512_mul_pd(_mm512_sub_pd(_mm512_mul_pd(four, df), b), b), _mm512_mul_pd(df, df));

        const __m512d t = _mm512_add_pd(_mm512_mask_blend_pd(near, t1f, t1n),
                                        _mm512_mask_blend_pd(near, t2f, t2n));
        const __m512d root = _mm512_sub_pd(h, _mm512_div_pd(t, _mm512_add_pd(h, h)));
        const __m512d m = _mm512_mask_blend_pd(small, root, _mm512_add_pd(a, b));
        _mm512_storeu_pd(out + k, _mm512_mul_pd(m, m));

        if (in_range != 0xFF)
            for (int l = 0; l < 8; ++l)
                if (!(in_range & (1 << l))) {
                    const double r = std::hypot(x[k + l], y[k + l]);
                    out[k + l] = r * r;
                }
    }
    squared_moduli_avx2(x + k, y + k, out + k, n - k);
}

bool have_avx2() {
    static const bool yes = __builtin_cpu_supports("avx2");
    return yes;
}
bool have_avx512() {
    static const bool yes = __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx2");
    return yes;
}
#endif

}  // namespace

void squared_moduli_path(int path, const double* x, const double* y, double* out,
                         std::size_t n) {
#ifdef EF_HAVE_AVX2_PATHS
    if (path == 2 && have_avx512()) {
        squared_moduli_avx512(x, y, out, n);
        return;
    }
    if (path >= 1 && have_avx2()) {
        squared_moduli_avx2(x, y, out, n);
        return;
    }
#endif
    (void)path;
    squared_moduli_scalar(x, y, out, n);
}

void squared_moduli(const double* x, const double* y, double* out, std::size_t n) {
    squared_moduli_path(2, x, y, out, n);
}

}  // namespace ef
