#include "spectral/fft.h"

#include <cmath>
#include <stdexcept>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace smproc {

namespace {

// The transform's own value of pi; every twiddle angle is built from it, so
// the results carry its 4.1e-10 excess and not those of a full-precision pi.
constexpr double pai = 3.141592654;
// The largest transform of a run.
constexpr int max_length = 32768;

static_assert(sizeof(Bin) == 2 * sizeof(double),
              "a bin is its real part followed by its imaginary part");

bool is_length(int n) { return n >= 1 && n <= max_length && (n & (n - 1)) == 0; }

int log2_of(int n) {
  int bits = 0;
  while ((1 << bits) < n) ++bits;
  return bits;
}

// The bits of m, `bits` of them, in reverse order.
int reverse_bits(int m, int bits) {
  int r = 0;
  for (int b = 0; b < bits; ++b) r |= ((m >> b) & 1) << (bits - 1 - b);
  return r;
}

// The factors of the forward transform's last stage: cos and sin of
// k*(-1)*pai/half for k = 0..half-1, each from its own angle, product first and
// quotient second (the other order changes the last bit). Every stage reads
// its factors here: an earlier stage's angle (k-1)*ind*pai/kmax equals this one
// at position (k-1)*(half/kmax) to the last bit, since scaling by a power of
// two is exact. The inverse transform's angles are these negated, exactly, and
// the library's cosine and sine are even and odd to the bit, so its factors
// are (cos, 0 - sin): the subtraction keeps the sine of the angle zero +0, as
// that angle is +0 in both directions.
std::vector<double> last_stage_factors(int n) {
  std::vector<double> t;
  if (n <= 1) return t;
  const int half = n / 2;
  t.resize(static_cast<std::size_t>(n));
  for (int k = 0; k < half; ++k) {
    const double angle = static_cast<double>(k * -1) * pai / static_cast<double>(half);
    t[2 * k] = std::cos(angle);
    t[2 * k + 1] = std::sin(angle);
  }
  return t;
}

void scalar_transform(int n, Bin* a, const double* t, int ind) {
  // Bit-reversal permutation.
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

  // Butterfly stages, half-spans 1, 2, 4, ..., n/2; within a stage the
  // butterflies are independent, so they run group by group in memory order.
  for (int kmax = 1; kmax < n; kmax *= 2) {
    const int stride = n / (2 * kmax);
    for (int g = 0; g < n; g += 2 * kmax) {
      for (int k = 0; k < kmax; ++k) {
        const double wr = t[2 * k * stride];
        const double wi = ind < 0 ? t[2 * k * stride + 1] : 0.0 - t[2 * k * stride + 1];
        Bin& p = a[g + k];
        Bin& q = a[g + k + kmax];
        const double ar = q.re;
        const double ai = q.im;
        const double tr = ar * wr - ai * wi;
        const double ti = ar * wi + ai * wr;
        q.re = p.re - tr;
        q.im = p.im - ti;
        p.re = p.re + tr;
        p.im = p.im + ti;
      }
    }
  }
}

#if defined(__SSE2__)

// Each register holds one bin: real part low, imaginary part high.
__m128d load(const Bin* p) { return _mm_loadu_pd(reinterpret_cast<const double*>(p)); }
void store(Bin* p, __m128d v) { _mm_storeu_pd(reinterpret_cast<double*>(p), v); }

// Two independent butterflies, (p0, q0) with the factors' low lanes and (p1,
// q1) with their high lanes; wr and wi hold the real and imaginary parts.
// The same products, sums and differences, in the same order, as one
// butterfly at a time.
inline void butterfly2(__m128d& p0, __m128d& q0, __m128d& p1, __m128d& q1, __m128d wr, __m128d wi) {
  const __m128d ar = _mm_unpacklo_pd(q0, q1);
  const __m128d ai = _mm_unpackhi_pd(q0, q1);
  const __m128d tr = _mm_sub_pd(_mm_mul_pd(ar, wr), _mm_mul_pd(ai, wi));
  const __m128d ti = _mm_add_pd(_mm_mul_pd(ar, wi), _mm_mul_pd(ai, wr));
  const __m128d t0 = _mm_unpacklo_pd(tr, ti);
  const __m128d t1 = _mm_unpackhi_pd(tr, ti);
  q0 = _mm_sub_pd(p0, t0);
  p0 = _mm_add_pd(p0, t0);
  q1 = _mm_sub_pd(p1, t1);
  p1 = _mm_add_pd(p1, t1);
}

// The factors at positions i0 and i1 of the last stage's table, real parts
// in wr and imaginary parts in wi, low lane i0; the inverse takes 0 - sin.
template <bool inverse>
inline void factor_pair(const double* t, int i0, int i1, __m128d& wr, __m128d& wi) {
  const __m128d w0 = _mm_loadu_pd(t + 2 * i0);
  const __m128d w1 = _mm_loadu_pd(t + 2 * i1);
  wr = _mm_unpacklo_pd(w0, w1);
  wi = _mm_unpackhi_pd(w0, w1);
  if constexpr (inverse) wi = _mm_sub_pd(_mm_setzero_pd(), wi);
}

// The two-bit reversal: 0, 2, 1, 3.
constexpr int rev2[4] = {0, 2, 1, 3};

// Bit reversal together with the stages of half-span 1 and 2, n >= 16.
// Position (A, m, B), with A the top two bits, B the bottom two and m the
// bits between, takes the value from (rev B, rev m, rev A). The sixteen
// values with middle bits m and those with middle bits rev m are all read
// before any of them is written, so the exchange works in place; each block
// of four (A, m, 0..3) then passes both stages in registers.
template <bool inverse>
void reorder_and_first_stages(int n, Bin* a, const double* t) {
  const int quarter = n / 4;
  const int mid_bits = log2_of(n) - 4;
  __m128d w1r, w1i, w2r, w2i;
  factor_pair<inverse>(t, 0, 0, w1r, w1i);
  factor_pair<inverse>(t, 0, n / 4, w2r, w2i);

  auto load_set = [&](int m, __m128d* v) {
    for (int x = 0; x < 4; ++x)
      for (int y = 0; y < 4; ++y) v[4 * x + y] = load(a + x * quarter + 4 * m + y);
  };
  // Fills the blocks with middle bits m from the values read at rev m.
  auto write_blocks = [&](int m, const __m128d* from) {
    for (int hi = 0; hi < 4; ++hi) {
      __m128d b0 = from[4 * rev2[0] + rev2[hi]];
      __m128d b1 = from[4 * rev2[1] + rev2[hi]];
      __m128d b2 = from[4 * rev2[2] + rev2[hi]];
      __m128d b3 = from[4 * rev2[3] + rev2[hi]];
      butterfly2(b0, b1, b2, b3, w1r, w1i);
      butterfly2(b0, b2, b1, b3, w2r, w2i);
      Bin* out = a + hi * quarter + 4 * m;
      store(out, b0);
      store(out + 1, b1);
      store(out + 2, b2);
      store(out + 3, b3);
    }
  };

  __m128d at_m[16], at_mr[16];
  for (int m = 0; m < (1 << mid_bits); ++m) {
    const int mr = reverse_bits(m, mid_bits);
    if (mr < m) continue;  // done with its partner
    load_set(mr, at_mr);
    if (mr != m) load_set(m, at_m);
    write_blocks(m, at_mr);
    if (mr != m) write_blocks(mr, at_m);
  }
}

// One stage of half-span kmax >= 2, two butterflies at a time.
template <bool inverse>
void radix2_stage(int n, Bin* a, const double* t, int kmax) {
  const int stride = n / (2 * kmax);
  for (int g = 0; g < n; g += 2 * kmax) {
    Bin* p = a + g;
    Bin* q = p + kmax;
    for (int k = 0; k < kmax; k += 2) {
      __m128d wr, wi;
      factor_pair<inverse>(t, k * stride, (k + 1) * stride, wr, wi);
      __m128d p0 = load(p + k), p1 = load(p + k + 1);
      __m128d q0 = load(q + k), q1 = load(q + k + 1);
      butterfly2(p0, q0, p1, q1, wr, wi);
      store(p + k, p0);
      store(p + k + 1, p1);
      store(q + k, q0);
      store(q + k + 1, q1);
    }
  }
}

// The stages of half-span kmax and 2 kmax (kmax >= 2) in one pass over the
// array: the four values g+k, g+k+kmax, g+k+2kmax, g+k+3kmax meet only each
// other in both stages, so they stay in registers between them.
template <bool inverse>
void radix4_stages(int n, Bin* a, const double* t, int kmax) {
  const int stride_a = n / (2 * kmax);
  const int stride_b = stride_a / 2;
  for (int g = 0; g < n; g += 4 * kmax) {
    Bin* e0 = a + g;
    Bin* e1 = e0 + kmax;
    Bin* e2 = e1 + kmax;
    Bin* e3 = e2 + kmax;
    for (int k = 0; k < kmax; k += 2) {
      __m128d war, wai, wbr, wbi, wcr, wci;
      factor_pair<inverse>(t, k * stride_a, (k + 1) * stride_a, war, wai);
      factor_pair<inverse>(t, k * stride_b, (k + 1) * stride_b, wbr, wbi);
      factor_pair<inverse>(t, (k + kmax) * stride_b, (k + 1 + kmax) * stride_b, wcr, wci);
      __m128d x0 = load(e0 + k), y0 = load(e0 + k + 1);
      __m128d x1 = load(e1 + k), y1 = load(e1 + k + 1);
      __m128d x2 = load(e2 + k), y2 = load(e2 + k + 1);
      __m128d x3 = load(e3 + k), y3 = load(e3 + k + 1);
      butterfly2(x0, x1, y0, y1, war, wai);
      butterfly2(x2, x3, y2, y3, war, wai);
      butterfly2(x0, x2, y0, y2, wbr, wbi);
      butterfly2(x1, x3, y1, y3, wcr, wci);
      store(e0 + k, x0);
      store(e0 + k + 1, y0);
      store(e1 + k, x1);
      store(e1 + k + 1, y1);
      store(e2 + k, x2);
      store(e2 + k + 1, y2);
      store(e3 + k, x3);
      store(e3 + k + 1, y3);
    }
  }
}

template <bool inverse>
void vector_stages(int n, Bin* a, const double* t) {
  reorder_and_first_stages<inverse>(n, a, t);
  int kmax = 4;
  if (log2_of(n) % 2 == 1) {  // an odd number of stages left
    radix2_stage<inverse>(n, a, t, kmax);
    kmax *= 2;
  }
  for (; kmax < n; kmax *= 4) radix4_stages<inverse>(n, a, t, kmax);
}

void vector_transform(int n, Bin* a, const double* t, int ind) {
  if (n < 16)
    scalar_transform(n, a, t, ind);
  else if (ind < 0)
    vector_stages<false>(n, a, t);
  else
    vector_stages<true>(n, a, t);
}

#endif

}  // namespace

FftPlan::FftPlan(int n) : n_(n) {
  if (!is_length(n))
    throw std::invalid_argument("FftPlan: length must be a power of two from 1 to 32768");
  factors_ = last_stage_factors(n);
}

void FftPlan::transform(Bin* a, int ind) const {
  if (ind != -1 && ind != 1)
    throw std::invalid_argument("FftPlan: the exponent sign must be -1 or +1");
  if (n_ <= 1) return;
#if defined(__SSE2__)
  vector_transform(n_, a, factors_.data(), ind);
#else
  scalar_transform(n_, a, factors_.data(), ind);
#endif
}

void FftPlan::transform_scalar(Bin* a, int ind) const {
  if (ind != -1 && ind != 1)
    throw std::invalid_argument("FftPlan: the exponent sign must be -1 or +1");
  if (n_ <= 1) return;
  scalar_transform(n_, a, factors_.data(), ind);
}

bool FftPlan::vectorised() {
#if defined(__SSE2__)
  return true;
#else
  return false;
#endif
}

void wvfast(int n, Bin* a, int mom, int ind) {
  if (n <= 1) return;
  if (!is_length(n) || n > mom)
    throw std::invalid_argument("wvfast: length must be a power of two within the capacity");
  FftPlan(n).transform(a, ind);
}

}  // namespace smproc
