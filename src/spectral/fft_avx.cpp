// The butterfly stages in AVX registers: two bins per register, four
// butterflies at a time.
#include "spectral/fft_kernels.h"

#if defined(SMPROC_FFT_AVX)
#include "spectral/fft_intrinsics.h"
#define SMPROC_FFT_TARGET [[gnu::target("avx")]]
#include "spectral/fft_stages.h"

namespace smproc::fft_avx {
namespace {

struct Avx {
  // Bins k and k+1; as a quad, four lanes.
  using reg = __m256d;
  using quad = __m256d;
  static constexpr int bins = 2;

  SMPROC_FFT_TARGET static reg load(const Bin* p) {
    return _mm256_loadu_pd(reinterpret_cast<const double*>(p));
  }
  SMPROC_FFT_TARGET static void store(Bin* p, reg x) {
    _mm256_storeu_pd(reinterpret_cast<double*>(p), x);
  }
  SMPROC_FFT_TARGET static reg load_factors(const double* t, int k, int stride) {
    if (stride == 1) return _mm256_loadu_pd(t + 2 * k);
    return _mm256_insertf128_pd(_mm256_castpd128_pd256(_mm_loadu_pd(t + 2 * k * stride)),
                                _mm_loadu_pd(t + 2 * (k + 1) * stride), 1);
  }
  SMPROC_FFT_TARGET static reg zero() { return _mm256_setzero_pd(); }
  SMPROC_FFT_TARGET static reg broadcast(double x) { return _mm256_set1_pd(x); }
  SMPROC_FFT_TARGET static reg add(reg x, reg y) { return _mm256_add_pd(x, y); }
  SMPROC_FFT_TARGET static reg sub(reg x, reg y) { return _mm256_sub_pd(x, y); }
  SMPROC_FFT_TARGET static reg mul(reg x, reg y) { return _mm256_mul_pd(x, y); }
  SMPROC_FFT_TARGET static reg unpacklo(reg x, reg y) { return _mm256_unpacklo_pd(x, y); }
  SMPROC_FFT_TARGET static reg unpackhi(reg x, reg y) { return _mm256_unpackhi_pd(x, y); }

  // The unpacks of two registers of bins put their parts in the lane order
  // 0, 2, 1, 3.
  SMPROC_FFT_TARGET static void gather(const Bin* in, quad& re, quad& im) {
    const reg lo = load(in), hi = load(in + 2);
    re = _mm256_unpacklo_pd(lo, hi);
    im = _mm256_unpackhi_pd(lo, hi);
  }
  SMPROC_FFT_TARGET static void scatter(Bin* out, int quarter, const quad* re, const quad* im) {
    reg even[4], odd[4];  // bin B of blocks 0 and 2; of blocks 1 and 3
    for (int b = 0; b < 4; ++b) {
      even[b] = _mm256_unpacklo_pd(re[b], im[b]);
      odd[b] = _mm256_unpackhi_pd(re[b], im[b]);
    }
    store(out, _mm256_permute2f128_pd(even[0], even[1], 0x20));
    store(out + 2, _mm256_permute2f128_pd(even[2], even[3], 0x20));
    store(out + quarter, _mm256_permute2f128_pd(odd[0], odd[1], 0x20));
    store(out + quarter + 2, _mm256_permute2f128_pd(odd[2], odd[3], 0x20));
    store(out + 2 * quarter, _mm256_permute2f128_pd(even[0], even[1], 0x31));
    store(out + 2 * quarter + 2, _mm256_permute2f128_pd(even[2], even[3], 0x31));
    store(out + 3 * quarter, _mm256_permute2f128_pd(odd[0], odd[1], 0x31));
    store(out + 3 * quarter + 2, _mm256_permute2f128_pd(odd[2], odd[3], 0x31));
  }
};

constexpr StageKernels forward = fft_stages::all_stages<Avx, false>();
constexpr StageKernels inverse = fft_stages::all_stages<Avx, true>();

}  // namespace

const StageKernels& kernels(Direction direction) {
  return direction == Direction::forward ? forward : inverse;
}

}  // namespace smproc::fft_avx
#endif
