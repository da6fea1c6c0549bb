// Drawing kernels wider than SSE2: compiled for AVX2 beside the SSE2 ones
// (functions marked KIVO_AVX2) and chosen at run time where the processor
// has AVX2. Both give the same pixels.
#pragma once

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define KIVO_WIDE_KERNELS 1
#define KIVO_AVX2 __attribute__((target("avx2")))
#endif

namespace Kivo {

// Whether the AVX2 kernels run: where the processor has AVX2, unless a
// test holds them back.
bool WideKernels();

// `on` false holds drawing to the SSE2 kernels, so that tests can compare
// both; returns whether the processor has AVX2, without which the AVX2
// kernels never run.
bool UseWideKernels(bool on);

} // namespace Kivo
