// The butterfly stages of the transform, one table per instruction set, each
// compiled in its own file and namespace and chosen at run time.
#pragma once

#include "spectral/fft.h"

#if defined(__SSE2__)
#define SMPROC_FFT_SSE2 1
// The AVX and AVX-512 forms are compiled function by function for their
// instruction set and run only where the processor has it.
#if defined(__x86_64__) && defined(__GNUC__)
#define SMPROC_FFT_AVX 1
#endif
#endif

namespace smproc {

// One instruction set's passes over a transform of length n >= 16 in a,
// with the forward last-stage factors t. For one direction.
struct StageKernels {
  // Bit reversal together with the stages of half-span 1 and 2; null where
  // the form leaves them to a narrower one.
  void (*reorder_and_first_stages)(int n, Bin* a, const double* t);
  // One stage of half-span kmax.
  void (*radix2_stage)(int n, Bin* a, const double* t, int kmax);
  // The stages of half-span kmax and 2 kmax in one pass.
  void (*radix4_stages)(int n, Bin* a, const double* t, int kmax);
  // The smallest kmax the stages take: the butterflies of one step.
  int min_half_span;
};

namespace fft_scalar {
const StageKernels& kernels(Direction direction);
}
#if defined(SMPROC_FFT_SSE2)
namespace fft_sse2 {
const StageKernels& kernels(Direction direction);
}
#endif
#if defined(SMPROC_FFT_AVX)
namespace fft_avx {
const StageKernels& kernels(Direction direction);
}
// Only the stages of half-span 8 and more; the others are AVX's.
namespace fft_avx512 {
const StageKernels& kernels(Direction direction);
}
#endif

}  // namespace smproc
