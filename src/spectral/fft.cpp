#include "spectral/fft.h"

#include <cmath>
#include <stdexcept>

#include "spectral/fft_kernels.h"

namespace smproc {

namespace {

// The transform's own value of pi; every twiddle angle is built from it, so
// the results carry its 4.1e-10 excess and not those of a full-precision pi.
constexpr double pai = 3.141592654;
// The largest transform the factors and passes are made for (a run's own
// limit is lower unless it takes long records).
constexpr int max_length = 1 << 24;

static_assert(sizeof(Bin) == 2 * sizeof(double),
              "a bin is its real part followed by its imaginary part");

bool is_length(int n) { return n >= 1 && n <= max_length && (n & (n - 1)) == 0; }

// The factors of the forward transform's last stage: cos and sin of
// k*(-1)*pai/half for k = 0..half-1, each from its own angle, product first and
// quotient second (the other order changes the last bit). Every stage reads
// its factors here: an earlier stage's angle (k-1)*ind*pai/kmax equals this one
// at position (k-1)*(half/kmax) to the last bit, since scaling by a power of
// two is exact. The inverse transform's angles are these negated, exactly, and
// the library's cosine and sine are even and odd to the bit (the tests check
// every length), so its factors are (cos, 0 - sin): the subtraction keeps the
// sine of the angle zero +0, as that angle is +0 in both directions.
std::vector<double> last_stage_factors(int n) {
  if (n <= 1) return {};
  std::vector<double> t;
  // Brought in at once rather than page by page as the zeros are written.
  t.reserve(static_cast<std::size_t>(n));
  fault_in(t.data(), static_cast<std::size_t>(n) * sizeof(double));
  t.resize(static_cast<std::size_t>(n));
  const int half = n / 2;
  // half is a power of two: dividing by it and multiplying by its exact
  // reciprocal both scale the product exactly, and the second is quicker.
  const double per_half = 1.0 / static_cast<double>(half);
  for (int k = 0; k < half; ++k) {
    const double angle = static_cast<double>(k * -1) * pai * per_half;
    t[2 * k] = std::cos(angle);
    t[2 * k + 1] = std::sin(angle);
  }
  return t;
}

// The transforms below 16, where the staged passes have nothing to gain:
// bit reversal, then the butterflies one at a time, stage by stage.
void short_transform(int n, Bin* a, const double* t, Direction direction) {
  int j = 0;
  for (int i = 0; i < n; ++i) {
    if (i < j) {
      const Bin temp = a[j];
      a[j] = a[i];
      a[i] = temp;
    }
    int m = n / 2;
    while (m >= 1 && j >= m) {
      j -= m;
      m /= 2;
    }
    j += m;
  }
  for (int kmax = 1; kmax < n; kmax *= 2) {
    const int stride = n / (2 * kmax);
    for (int g = 0; g < n; g += 2 * kmax) {
      for (int k = 0; k < kmax; ++k) {
        const double wr = t[2 * k * stride];
        const double wi = direction == Direction::forward ? t[2 * k * stride + 1]
                                                          : 0.0 - t[2 * k * stride + 1];
        Bin& p = a[g + k];
        Bin& q = a[g + k + kmax];
        const double tr = q.re * wr - q.im * wi;
        const double ti = q.re * wi + q.im * wr;
        q.re = p.re - tr;
        q.im = p.im - ti;
        p.re = p.re + tr;
        p.im = p.im + ti;
      }
    }
  }
}

int log2_of(int n) {
  int bits = 0;
  while ((1 << bits) < n) ++bits;
  return bits;
}

// The passes of a transform of length n >= 16: the reversal with the first
// two stages and an odd stage left over by `narrow`, then two stages a pass,
// by `wide` from the half-span it takes.
void staged_transform(int n, Bin* a, const double* t, const StageKernels& narrow,
                      const StageKernels& wide) {
  narrow.reorder_and_first_stages(n, a, t);
  int kmax = 4;
  if (log2_of(n) % 2 == 1) {  // an odd number of stages left
    narrow.radix2_stage(n, a, t, kmax);
    kmax *= 2;
  }
  for (; kmax < n; kmax *= 4)
    (kmax >= wide.min_half_span ? wide : narrow).radix4_stages(n, a, t, kmax);
}

}  // namespace

bool FftPlan::available(Butterflies how) {
  switch (how) {
    case Butterflies::scalar:
      return true;
    case Butterflies::sse2:
#if defined(SMPROC_FFT_SSE2)
      return true;
#else
      return false;
#endif
    case Butterflies::avx:
#if defined(SMPROC_FFT_AVX)
      return __builtin_cpu_supports("avx");
#else
      return false;
#endif
    case Butterflies::avx512:
#if defined(SMPROC_FFT_AVX)
      return __builtin_cpu_supports("avx512f");
#else
      return false;
#endif
  }
  return false;
}

FftPlan::FftPlan(int n) : n_(n) {
  if (!is_length(n))
    throw std::invalid_argument("FftPlan: length must be a power of two from 1 to 2^24");
  factors_ = last_stage_factors(n);
  for (Butterflies how : {Butterflies::sse2, Butterflies::avx, Butterflies::avx512})
    if (available(how)) widest_ = how;
}

void FftPlan::transform(Bin* a, Direction direction) const { transform(a, direction, widest_); }

void FftPlan::transform(Bin* a, Direction direction, Butterflies how) const {
  if (direction != Direction::forward && direction != Direction::inverse)
    throw std::invalid_argument("FftPlan: the direction must be forward or inverse");
  if (!available(how)) throw std::invalid_argument("FftPlan: butterflies not available here");
  if (n_ <= 1) return;
  const double* t = factors_.data();
  if (n_ < 16) {
    short_transform(n_, a, t, direction);
    return;
  }
  switch (how) {
#if defined(SMPROC_FFT_AVX)
    case Butterflies::avx512:
      staged_transform(n_, a, t, fft_avx::kernels(direction), fft_avx512::kernels(direction));
      return;
    case Butterflies::avx:
      staged_transform(n_, a, t, fft_avx::kernels(direction), fft_avx::kernels(direction));
      return;
#endif
#if defined(SMPROC_FFT_SSE2)
    case Butterflies::sse2:
      staged_transform(n_, a, t, fft_sse2::kernels(direction), fft_sse2::kernels(direction));
      return;
#endif
    default:
      staged_transform(n_, a, t, fft_scalar::kernels(direction), fft_scalar::kernels(direction));
      return;
  }
}

void wvfast(int n, Bin* a, int mom, int ind) {
  if (n <= 1) return;
  if (ind != -1 && ind != 1)
    throw std::invalid_argument("wvfast: the exponent sign must be -1 or +1");
  if (!is_length(n) || n > mom)
    throw std::invalid_argument("wvfast: length must be a power of two within the capacity");
  FftPlan(n).transform(a, ind < 0 ? Direction::forward : Direction::inverse);
}

}  // namespace smproc
