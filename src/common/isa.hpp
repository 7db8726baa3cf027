// Hot loops of the iteration are built twice, for the baseline x86-64
// instruction set and for processors with AVX2, and the right one is picked
// when the program starts. Both give the same bits: AVX2 brings wider
// registers and three-operand instructions, never fused multiply-adds.
// EF_HAVE_AVX2_PATHS says whether this build has the AVX2 versions (a build
// with EF_BASELINE_ISA has none, to compare against).
#pragma once

#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__) && !defined(EF_BASELINE_ISA)
#define EF_HAVE_AVX2_PATHS 1
#define EF_AVX2_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define EF_AVX2_CLONES
#endif
