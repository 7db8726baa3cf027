// Forward and back substitution with the stored profile factors of one row.
//
// The profile repeats with every element block of six unknowns, so the
// substitutions run block by block with the number of products of each
// unknown fixed at compile time; the products are still subtracted one at a
// time, nearest first.
//
// Each unknown waits for the one before it, so one substitution is a long
// chain of dependent operations. Up to four rows solved together interleave
// their chains and keep the arithmetic units busy, with each complex product
// in one SSE register; every rounding of each row is the one it gets when
// solved alone with the scalar operators. On processors with AVX2 the same
// kernels run with the three-operand instructions and one add-subtract per
// complex product.
#include <cassert>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include "common/isa.hpp"
#include "solver/row_system.hpp"

namespace ef {
namespace {
namespace baseline {
#define EF_KERNEL_ADDSUB 0
#include "solver/substitution_kernel.inc"
}  // namespace baseline
}  // namespace
}  // namespace ef

#ifdef EF_HAVE_AVX2_PATHS
#pragma GCC push_options
#pragma GCC target("avx2")
namespace ef {
namespace {
namespace avx2 {
#undef EF_KERNEL_ADDSUB
#define EF_KERNEL_ADDSUB 1
#include "solver/substitution_kernel.inc"
}  // namespace avx2
}  // namespace
}  // namespace ef
#pragma GCC pop_options
#endif

namespace ef {

#ifdef EF_HAVE_AVX2_PATHS
namespace {
bool use_avx2() {
    static const bool yes = __builtin_cpu_supports("avx2");
    return yes;
}
}  // namespace
#endif

void solver15(int nx, int j, std::span<const Complex> rhs, const RowFactors& factors,
              std::span<Complex> answer, std::span<Complex> y) {
    if (nx < 1) return;
    const int n = row_unknowns(nx);
    assert(factors.nx() == nx && static_cast<int>(rhs.size()) > n &&
           static_cast<int>(answer.size()) > n && static_cast<int>(y.size()) > n);
#ifdef EF_HAVE_AVX2_PATHS
    if (use_avx2()) return avx2::solve_row(n, j, rhs.data(), factors, answer.data(), y.data());
#endif
    baseline::solve_row(n, j, rhs.data(), factors, answer.data(), y.data());
}

void solver15_rows(int nx, int count, const int* rows, RowWorkspace* const* ws,
                   const RowFactors& factors) {
    if (nx < 1) return;
    const int n = row_unknowns(nx);
    assert(factors.nx() == nx && count >= 1 && count <= kRowGroup);
    for (int r = 0; r < count; ++r)
        assert(static_cast<int>(ws[r]->rhs.size()) > n && static_cast<int>(ws[r]->answer.size()) > n &&
               static_cast<int>(ws[r]->y.size()) > n);
    (void)n;
#ifdef EF_HAVE_AVX2_PATHS
    if (use_avx2()) return avx2::solve_rows(nx, count, rows, ws, factors);
#endif
    baseline::solve_rows(nx, count, rows, ws, factors);
}

}  // namespace ef
