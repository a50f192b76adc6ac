// The butterfly stages in SSE2 registers: one bin per register, two
// butterflies at a time.
#include "spectral/fft_kernels.h"

#if defined(SMPROC_FFT_SSE2)
#include "spectral/fft_intrinsics.h"
#define SMPROC_FFT_TARGET
#include "spectral/fft_stages.h"

namespace smproc::fft_sse2 {
namespace {

// Four lanes in two registers, lanes 0 and 1 in lo.
struct Pair {
  __m128d lo, hi;
};

struct Sse2 {
  using reg = __m128d;
  using quad = Pair;
  static constexpr int bins = 1;

  static reg load(const Bin* p) { return _mm_loadu_pd(reinterpret_cast<const double*>(p)); }
  static void store(Bin* p, reg x) { _mm_storeu_pd(reinterpret_cast<double*>(p), x); }
  static reg load_factors(const double* t, int k, int stride) {
    return _mm_loadu_pd(t + 2 * k * stride);
  }
  static reg zero() { return _mm_setzero_pd(); }
  static reg add(reg x, reg y) { return _mm_add_pd(x, y); }
  static reg sub(reg x, reg y) { return _mm_sub_pd(x, y); }
  static reg mul(reg x, reg y) { return _mm_mul_pd(x, y); }
  static reg unpacklo(reg x, reg y) { return _mm_unpacklo_pd(x, y); }
  static reg unpackhi(reg x, reg y) { return _mm_unpackhi_pd(x, y); }

  static quad broadcast(double x) { return {_mm_set1_pd(x), _mm_set1_pd(x)}; }
  static quad add(quad x, quad y) { return {_mm_add_pd(x.lo, y.lo), _mm_add_pd(x.hi, y.hi)}; }
  static quad sub(quad x, quad y) { return {_mm_sub_pd(x.lo, y.lo), _mm_sub_pd(x.hi, y.hi)}; }
  static quad mul(quad x, quad y) { return {_mm_mul_pd(x.lo, y.lo), _mm_mul_pd(x.hi, y.hi)}; }

  static void gather(const Bin* in, quad& re, quad& im) {
    const reg b0 = load(in), b1 = load(in + 1), b2 = load(in + 2), b3 = load(in + 3);
    re = {_mm_unpacklo_pd(b0, b2), _mm_unpacklo_pd(b1, b3)};
    im = {_mm_unpackhi_pd(b0, b2), _mm_unpackhi_pd(b1, b3)};
  }
  static void scatter(Bin* out, int quarter, const quad* re, const quad* im) {
    for (int b = 0; b < 4; ++b) {
      store(out + b, _mm_unpacklo_pd(re[b].lo, im[b].lo));
      store(out + quarter + b, _mm_unpackhi_pd(re[b].lo, im[b].lo));
      store(out + 2 * quarter + b, _mm_unpacklo_pd(re[b].hi, im[b].hi));
      store(out + 3 * quarter + b, _mm_unpackhi_pd(re[b].hi, im[b].hi));
    }
  }
};

constexpr StageKernels forward = fft_stages::all_stages<Sse2, false>();
constexpr StageKernels inverse = fft_stages::all_stages<Sse2, true>();

}  // namespace

const StageKernels& kernels(Direction direction) {
  return direction == Direction::forward ? forward : inverse;
}

}  // namespace smproc::fft_sse2
#endif
