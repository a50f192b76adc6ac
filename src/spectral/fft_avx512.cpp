// The butterfly stages of half-span 8 and more in AVX-512 registers: four
// bins per register, eight butterflies at a time.
#include "spectral/fft_kernels.h"

#if defined(SMPROC_FFT_AVX)
#include "spectral/fft_intrinsics.h"
#define SMPROC_FFT_TARGET [[gnu::target("avx512f")]]
#include "spectral/fft_stages.h"

namespace smproc::fft_avx512 {
namespace {

struct Avx512 {
  // Bins k to k+3.
  using reg = __m512d;
  static constexpr int bins = 4;

  SMPROC_FFT_TARGET static reg load(const Bin* p) {
    return _mm512_loadu_pd(reinterpret_cast<const double*>(p));
  }
  SMPROC_FFT_TARGET static void store(Bin* p, reg x) {
    _mm512_storeu_pd(reinterpret_cast<double*>(p), x);
  }
  SMPROC_FFT_TARGET static reg load_factors(const double* t, int k, int stride) {
    if (stride == 1) return _mm512_loadu_pd(t + 2 * k);
    __m256d w[2];
    for (int i = 0; i < 2; ++i)
      w[i] =
          _mm256_insertf128_pd(_mm256_castpd128_pd256(_mm_loadu_pd(t + 2 * (k + 2 * i) * stride)),
                               _mm_loadu_pd(t + 2 * (k + 2 * i + 1) * stride), 1);
    return _mm512_insertf64x4(_mm512_castpd256_pd512(w[0]), w[1], 1);
  }
  SMPROC_FFT_TARGET static reg zero() { return _mm512_setzero_pd(); }
  SMPROC_FFT_TARGET static reg add(reg x, reg y) { return _mm512_add_pd(x, y); }
  SMPROC_FFT_TARGET static reg sub(reg x, reg y) { return _mm512_sub_pd(x, y); }
  SMPROC_FFT_TARGET static reg mul(reg x, reg y) { return _mm512_mul_pd(x, y); }
  SMPROC_FFT_TARGET static reg unpacklo(reg x, reg y) { return _mm512_unpacklo_pd(x, y); }
  SMPROC_FFT_TARGET static reg unpackhi(reg x, reg y) { return _mm512_unpackhi_pd(x, y); }
};

constexpr StageKernels forward = {nullptr, nullptr,
                                  &fft_stages::radix4_stages<Avx512, false>, 2 * Avx512::bins};
constexpr StageKernels inverse = {nullptr, nullptr,
                                  &fft_stages::radix4_stages<Avx512, true>, 2 * Avx512::bins};

}  // namespace

const StageKernels& kernels(Direction direction) {
  return direction == Direction::forward ? forward : inverse;
}

}  // namespace smproc::fft_avx512
#endif
