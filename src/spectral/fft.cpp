#include "spectral/fft.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <stdexcept>

#if defined(__SSE2__)
// GCC 12 takes the AVX-512 headers' deliberately undefined start values for
// uninitialised reads.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <immintrin.h>
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif
// AVX and AVX-512 kernels sit beside the SSE2 ones, compiled for their
// instruction set function by function and chosen at run time where the
// processor has it.
#if defined(__x86_64__) && defined(__GNUC__)
#define SMPROC_FFT_AVX 1
#endif
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

// The factors of the forward transform's last stage: cos and sin of
// k*(-1)*pai/half for k = 0..half-1, each from its own angle, product first and
// quotient second (the other order changes the last bit). Every stage reads
// its factors here: an earlier stage's angle (k-1)*ind*pai/kmax equals this one
// at position (k-1)*(half/kmax) to the last bit, since scaling by a power of
// two is exact. The inverse transform's angles are these negated, exactly, and
// the library's cosine and sine are even and odd to the bit (the tests check
// every length), so its factors are (cos, 0 - sin): the subtraction keeps the
// sine of the angle zero +0, as that angle is +0 in both directions.
FftPlan::Factors last_stage_factors(int n, std::pmr::memory_resource* memory) {
  if (n <= 1) return FftPlan::Factors(nullptr, {memory, 0});
  const auto count = static_cast<std::size_t>(n);
  // Every entry is written below, so none is cleared first.
  FftPlan::Factors t(
      static_cast<double*>(memory->allocate(count * sizeof(double), alignof(double))),
      {memory, count});
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

int log2_of(int n) {
  int bits = 0;
  while ((1 << bits) < n) ++bits;
  return bits;
}

// The bits of m + 1, `bits` of them, in reverse order, from those of m (mr):
// adding one at the top of the reversed number, carrying downwards.
int next_reversed(int mr, int bits) {
  int bit = bits > 0 ? 1 << (bits - 1) : 0;
  while (bit > 0 && (mr & bit) != 0) {
    mr ^= bit;
    bit >>= 1;
  }
  return mr | bit;
}

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
  for (int m = 0, mr = 0; m < (1 << mid_bits); ++m, mr = next_reversed(mr, mid_bits)) {
    if (mr < m) continue;  // done with its partner
    load_set(mr, at_mr);
    if (mr != m) load_set(m, at_m);
    write_blocks(m, at_mr);
    if (mr != m) write_blocks(mr, at_m);
  }
}

// Factors are loaded for a block of positions k at a time and then serve
// every group, so each is gathered once per stage while the groups still pass
// through memory in order.
constexpr int block = 64;

// One stage of half-span kmax >= 2, two butterflies at a time.
template <bool inverse>
void radix2_stage(int n, Bin* a, const double* t, int kmax) {
  const int stride = n / (2 * kmax);
  __m128d w[2 * block / 2];
  for (int k0 = 0; k0 < kmax; k0 += block) {
    const int k1 = std::min(kmax, k0 + block);
    for (int k = k0; k < k1; k += 2) {
      __m128d* wk = w + (k - k0);
      factor_pair<inverse>(t, k * stride, (k + 1) * stride, wk[0], wk[1]);
    }
    for (int g = 0; g < n; g += 2 * kmax) {
      for (int k = k0; k < k1; k += 2) {
        const __m128d* wk = w + (k - k0);
        Bin* p = a + g + k;
        Bin* q = p + kmax;
        __m128d p0 = load(p), p1 = load(p + 1);
        __m128d q0 = load(q), q1 = load(q + 1);
        butterfly2(p0, q0, p1, q1, wk[0], wk[1]);
        store(p, p0);
        store(p + 1, p1);
        store(q, q0);
        store(q + 1, q1);
      }
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
  __m128d w[6 * block / 2];
  for (int k0 = 0; k0 < kmax; k0 += block) {
    const int k1 = std::min(kmax, k0 + block);
    for (int k = k0; k < k1; k += 2) {
      __m128d* wk = w + 3 * (k - k0);
      factor_pair<inverse>(t, k * stride_a, (k + 1) * stride_a, wk[0], wk[1]);
      factor_pair<inverse>(t, k * stride_b, (k + 1) * stride_b, wk[2], wk[3]);
      factor_pair<inverse>(t, (k + kmax) * stride_b, (k + 1 + kmax) * stride_b, wk[4], wk[5]);
    }
    for (int g = 0; g < n; g += 4 * kmax) {
      for (int k = k0; k < k1; k += 2) {
        const __m128d* wk = w + 3 * (k - k0);
        Bin* e0 = a + g + k;
        Bin* e1 = e0 + kmax;
        Bin* e2 = e1 + kmax;
        Bin* e3 = e2 + kmax;
        __m128d x0 = load(e0), y0 = load(e0 + 1);
        __m128d x1 = load(e1), y1 = load(e1 + 1);
        __m128d x2 = load(e2), y2 = load(e2 + 1);
        __m128d x3 = load(e3), y3 = load(e3 + 1);
        butterfly2(x0, x1, y0, y1, wk[0], wk[1]);
        butterfly2(x2, x3, y2, y3, wk[0], wk[1]);
        butterfly2(x0, x2, y0, y2, wk[2], wk[3]);
        butterfly2(x1, x3, y1, y3, wk[4], wk[5]);
        store(e0, x0);
        store(e0 + 1, y0);
        store(e1, x1);
        store(e1 + 1, y1);
        store(e2, x2);
        store(e2 + 1, y2);
        store(e3, x3);
        store(e3 + 1, y3);
      }
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

#if defined(SMPROC_FFT_AVX)

// Each register holds two bins, k and k+1.
[[gnu::target("avx")]] inline __m256d load2(const Bin* p) {
  return _mm256_loadu_pd(reinterpret_cast<const double*>(p));
}
[[gnu::target("avx")]] inline void store2(Bin* p, __m256d v) {
  _mm256_storeu_pd(reinterpret_cast<double*>(p), v);
}

// Four independent butterflies: (p0, q0) low and high half, then (p1, q1) low
// and high half, with factor lanes 0, 2, 1, 3 in that order, which is how the
// in-half unpacks order them. The same products, sums and differences, in the
// same order, as one butterfly at a time.
[[gnu::target("avx")]] inline void butterfly4(__m256d& p0, __m256d& q0, __m256d& p1, __m256d& q1,
                                              __m256d wr, __m256d wi) {
  const __m256d ar = _mm256_unpacklo_pd(q0, q1);
  const __m256d ai = _mm256_unpackhi_pd(q0, q1);
  const __m256d tr = _mm256_sub_pd(_mm256_mul_pd(ar, wr), _mm256_mul_pd(ai, wi));
  const __m256d ti = _mm256_add_pd(_mm256_mul_pd(ar, wi), _mm256_mul_pd(ai, wr));
  const __m256d t0 = _mm256_unpacklo_pd(tr, ti);
  const __m256d t1 = _mm256_unpackhi_pd(tr, ti);
  q0 = _mm256_sub_pd(p0, t0);
  p0 = _mm256_add_pd(p0, t0);
  q1 = _mm256_sub_pd(p1, t1);
  p1 = _mm256_add_pd(p1, t1);
}

// The factors at positions k, k+1, k+2, k+3 (times stride) for butterfly4,
// with p0 holding k, k+1 and p1 holding k+2, k+3.
template <bool inverse>
[[gnu::target("avx")]] inline void factor_quad(const double* t, int k, int stride, __m256d& wr,
                                               __m256d& wi) {
  __m256d w01, w23;
  if (stride == 1) {
    w01 = _mm256_loadu_pd(t + 2 * k);
    w23 = _mm256_loadu_pd(t + 2 * k + 4);
  } else {
    w01 = _mm256_insertf128_pd(_mm256_castpd128_pd256(_mm_loadu_pd(t + 2 * k * stride)),
                               _mm_loadu_pd(t + 2 * (k + 1) * stride), 1);
    w23 = _mm256_insertf128_pd(_mm256_castpd128_pd256(_mm_loadu_pd(t + 2 * (k + 2) * stride)),
                               _mm_loadu_pd(t + 2 * (k + 3) * stride), 1);
  }
  wr = _mm256_unpacklo_pd(w01, w23);
  wi = _mm256_unpackhi_pd(w01, w23);
  if constexpr (inverse) wi = _mm256_sub_pd(_mm256_setzero_pd(), wi);
}

// One stage of half-span kmax >= 4, four butterflies at a time.
template <bool inverse>
[[gnu::target("avx")]] void radix2_stage_avx(int n, Bin* a, const double* t, int kmax) {
  const int stride = n / (2 * kmax);
  __m256d w[2 * block / 4];
  for (int k0 = 0; k0 < kmax; k0 += block) {
    const int k1 = std::min(kmax, k0 + block);
    for (int k = k0; k < k1; k += 4) {
      __m256d* wk = w + (k - k0) / 2;
      factor_quad<inverse>(t, k, stride, wk[0], wk[1]);
    }
    for (int g = 0; g < n; g += 2 * kmax) {
      for (int k = k0; k < k1; k += 4) {
        const __m256d* wk = w + (k - k0) / 2;
        Bin* p = a + g + k;
        Bin* q = p + kmax;
        __m256d p0 = load2(p), p1 = load2(p + 2);
        __m256d q0 = load2(q), q1 = load2(q + 2);
        butterfly4(p0, q0, p1, q1, wk[0], wk[1]);
        store2(p, p0);
        store2(p + 2, p1);
        store2(q, q0);
        store2(q + 2, q1);
      }
    }
  }
}

// The stages of half-span kmax and 2 kmax (kmax >= 4) in one pass, four
// butterflies at a time.
template <bool inverse>
[[gnu::target("avx")]] void radix4_stages_avx(int n, Bin* a, const double* t, int kmax) {
  const int stride_a = n / (2 * kmax);
  const int stride_b = stride_a / 2;
  __m256d w[6 * block / 4];
  for (int k0 = 0; k0 < kmax; k0 += block) {
    const int k1 = std::min(kmax, k0 + block);
    for (int k = k0; k < k1; k += 4) {
      __m256d* wk = w + 6 * (k - k0) / 4;
      factor_quad<inverse>(t, k, stride_a, wk[0], wk[1]);
      factor_quad<inverse>(t, k, stride_b, wk[2], wk[3]);
      factor_quad<inverse>(t, k + kmax, stride_b, wk[4], wk[5]);
    }
    for (int g = 0; g < n; g += 4 * kmax) {
      for (int k = k0; k < k1; k += 4) {
        const __m256d* wk = w + 6 * (k - k0) / 4;
        Bin* e0 = a + g + k;
        Bin* e1 = e0 + kmax;
        Bin* e2 = e1 + kmax;
        Bin* e3 = e2 + kmax;
        __m256d x0 = load2(e0), y0 = load2(e0 + 2);
        __m256d x1 = load2(e1), y1 = load2(e1 + 2);
        __m256d x2 = load2(e2), y2 = load2(e2 + 2);
        __m256d x3 = load2(e3), y3 = load2(e3 + 2);
        butterfly4(x0, x1, y0, y1, wk[0], wk[1]);
        butterfly4(x2, x3, y2, y3, wk[0], wk[1]);
        butterfly4(x0, x2, y0, y2, wk[2], wk[3]);
        butterfly4(x1, x3, y1, y3, wk[4], wk[5]);
        store2(e0, x0);
        store2(e0 + 2, y0);
        store2(e1, x1);
        store2(e1 + 2, y1);
        store2(e2, x2);
        store2(e2 + 2, y2);
        store2(e3, x3);
        store2(e3 + 2, y3);
      }
    }
  }
}

// reorder_and_first_stages with the four blocks (A, m, .), A = 0..3, side by
// side in the lanes: the unpacks of two registers of bins put their real and
// imaginary parts in the lane order 0, 2, 1, 3, which is the reversal of A.
template <bool inverse>
[[gnu::target("avx")]] void reorder_and_first_stages_avx(int n, Bin* a, const double* t) {
  const int quarter = n / 4;
  const int mid_bits = log2_of(n) - 4;
  const __m256d zero = _mm256_setzero_pd();
  const __m256d w0r = _mm256_set1_pd(t[0]);
  const __m256d w1r = _mm256_set1_pd(t[n / 2]);
  __m256d w0i = _mm256_set1_pd(t[1]);
  __m256d w1i = _mm256_set1_pd(t[n / 2 + 1]);
  if constexpr (inverse) {
    w0i = _mm256_sub_pd(zero, w0i);
    w1i = _mm256_sub_pd(zero, w1i);
  }
  // (pr, pi) and (qr, qi): four butterflies, one per lane.
  auto butterfly = [](__m256d & pr, __m256d & pi, __m256d & qr, __m256d & qi, __m256d wr,
                      __m256d wi) __attribute__((target("avx"))) {
    const __m256d tr = _mm256_sub_pd(_mm256_mul_pd(qr, wr), _mm256_mul_pd(qi, wi));
    const __m256d ti = _mm256_add_pd(_mm256_mul_pd(qr, wi), _mm256_mul_pd(qi, wr));
    qr = _mm256_sub_pd(pr, tr);
    qi = _mm256_sub_pd(pi, ti);
    pr = _mm256_add_pd(pr, tr);
    pi = _mm256_add_pd(pi, ti);
  };
  // Reads the values for the blocks with middle bits m from middle bits mr
  // and passes them through both stages: re[B], im[B] hold bin B of block A
  // in lane A.
  auto gather = [&](int mr, __m256d* re, __m256d* im) __attribute__((target("avx"))) {
    for (int b = 0; b < 4; ++b) {
      const Bin* in = a + rev2[b] * quarter + 4 * mr;
      const __m256d lo = load2(in), hi = load2(in + 2);
      re[b] = _mm256_unpacklo_pd(lo, hi);
      im[b] = _mm256_unpackhi_pd(lo, hi);
    }
    butterfly(re[0], im[0], re[1], im[1], w0r, w0i);
    butterfly(re[2], im[2], re[3], im[3], w0r, w0i);
    butterfly(re[0], im[0], re[2], im[2], w0r, w0i);
    butterfly(re[1], im[1], re[3], im[3], w1r, w1i);
  };
  auto scatter = [&](int m, const __m256d* re, const __m256d* im) __attribute__((target("avx"))) {
    __m256d even[4], odd[4];  // bin B of blocks 0 and 2; of blocks 1 and 3
    for (int b = 0; b < 4; ++b) {
      even[b] = _mm256_unpacklo_pd(re[b], im[b]);
      odd[b] = _mm256_unpackhi_pd(re[b], im[b]);
    }
    Bin* out = a + 4 * m;
    store2(out, _mm256_permute2f128_pd(even[0], even[1], 0x20));
    store2(out + 2, _mm256_permute2f128_pd(even[2], even[3], 0x20));
    store2(out + quarter, _mm256_permute2f128_pd(odd[0], odd[1], 0x20));
    store2(out + quarter + 2, _mm256_permute2f128_pd(odd[2], odd[3], 0x20));
    store2(out + 2 * quarter, _mm256_permute2f128_pd(even[0], even[1], 0x31));
    store2(out + 2 * quarter + 2, _mm256_permute2f128_pd(even[2], even[3], 0x31));
    store2(out + 3 * quarter, _mm256_permute2f128_pd(odd[0], odd[1], 0x31));
    store2(out + 3 * quarter + 2, _mm256_permute2f128_pd(odd[2], odd[3], 0x31));
  };

  __m256d re_m[4], im_m[4], re_mr[4], im_mr[4];
  for (int m = 0, mr = 0; m < (1 << mid_bits); ++m, mr = next_reversed(mr, mid_bits)) {
    if (mr < m) continue;  // done with its partner
    gather(mr, re_mr, im_mr);
    if (mr != m) gather(m, re_m, im_m);
    scatter(m, re_mr, im_mr);
    if (mr != m) scatter(mr, re_m, im_m);
  }
}

// Each register holds four bins, k to k+3.
[[gnu::target("avx512f")]] inline __m512d load4(const Bin* p) {
  return _mm512_loadu_pd(reinterpret_cast<const double*>(p));
}
[[gnu::target("avx512f")]] inline void store4(Bin* p, __m512d v) {
  _mm512_storeu_pd(reinterpret_cast<double*>(p), v);
}

// Eight independent butterflies, p0 and q0 holding bins k to k+3, p1 and q1
// bins k+4 to k+7; the unpacks order the factor lanes k, k+4, k+1, k+5, ...
[[gnu::target("avx512f")]] inline void butterfly8(__m512d& p0, __m512d& q0, __m512d& p1,
                                                  __m512d& q1, __m512d wr, __m512d wi) {
  const __m512d ar = _mm512_unpacklo_pd(q0, q1);
  const __m512d ai = _mm512_unpackhi_pd(q0, q1);
  const __m512d tr = _mm512_sub_pd(_mm512_mul_pd(ar, wr), _mm512_mul_pd(ai, wi));
  const __m512d ti = _mm512_add_pd(_mm512_mul_pd(ar, wi), _mm512_mul_pd(ai, wr));
  const __m512d t0 = _mm512_unpacklo_pd(tr, ti);
  const __m512d t1 = _mm512_unpackhi_pd(tr, ti);
  q0 = _mm512_sub_pd(p0, t0);
  p0 = _mm512_add_pd(p0, t0);
  q1 = _mm512_sub_pd(p1, t1);
  p1 = _mm512_add_pd(p1, t1);
}

// The factors at positions k to k+7 (times stride) for butterfly8.
template <bool inverse>
[[gnu::target("avx512f")]] inline void factor_oct(const double* t, int k, int stride, __m512d& wr,
                                                  __m512d& wi) {
  __m512d w03, w47;
  if (stride == 1) {
    w03 = _mm512_loadu_pd(t + 2 * k);
    w47 = _mm512_loadu_pd(t + 2 * k + 8);
  } else {
    __m256d w[4];
    for (int i = 0; i < 4; ++i)
      w[i] =
          _mm256_insertf128_pd(_mm256_castpd128_pd256(_mm_loadu_pd(t + 2 * (k + 2 * i) * stride)),
                               _mm_loadu_pd(t + 2 * (k + 2 * i + 1) * stride), 1);
    w03 = _mm512_insertf64x4(_mm512_castpd256_pd512(w[0]), w[1], 1);
    w47 = _mm512_insertf64x4(_mm512_castpd256_pd512(w[2]), w[3], 1);
  }
  wr = _mm512_unpacklo_pd(w03, w47);
  wi = _mm512_unpackhi_pd(w03, w47);
  if constexpr (inverse) wi = _mm512_sub_pd(_mm512_setzero_pd(), wi);
}

// The stages of half-span kmax and 2 kmax (kmax >= 8) in one pass, eight
// butterflies at a time.
template <bool inverse>
[[gnu::target("avx512f")]] void radix4_stages_avx512(int n, Bin* a, const double* t, int kmax) {
  const int stride_a = n / (2 * kmax);
  const int stride_b = stride_a / 2;
  __m512d w[6 * block / 8];
  for (int k0 = 0; k0 < kmax; k0 += block) {
    const int k1 = std::min(kmax, k0 + block);
    for (int k = k0; k < k1; k += 8) {
      __m512d* wk = w + 6 * (k - k0) / 8;
      factor_oct<inverse>(t, k, stride_a, wk[0], wk[1]);
      factor_oct<inverse>(t, k, stride_b, wk[2], wk[3]);
      factor_oct<inverse>(t, k + kmax, stride_b, wk[4], wk[5]);
    }
    for (int g = 0; g < n; g += 4 * kmax) {
      for (int k = k0; k < k1; k += 8) {
        const __m512d* wk = w + 6 * (k - k0) / 8;
        Bin* e0 = a + g + k;
        Bin* e1 = e0 + kmax;
        Bin* e2 = e1 + kmax;
        Bin* e3 = e2 + kmax;
        __m512d x0 = load4(e0), y0 = load4(e0 + 4);
        __m512d x1 = load4(e1), y1 = load4(e1 + 4);
        __m512d x2 = load4(e2), y2 = load4(e2 + 4);
        __m512d x3 = load4(e3), y3 = load4(e3 + 4);
        butterfly8(x0, x1, y0, y1, wk[0], wk[1]);
        butterfly8(x2, x3, y2, y3, wk[0], wk[1]);
        butterfly8(x0, x2, y0, y2, wk[2], wk[3]);
        butterfly8(x1, x3, y1, y3, wk[4], wk[5]);
        store4(e0, x0);
        store4(e0 + 4, y0);
        store4(e1, x1);
        store4(e1 + 4, y1);
        store4(e2, x2);
        store4(e2 + 4, y2);
        store4(e3, x3);
        store4(e3 + 4, y3);
      }
    }
  }
}

// The whole transform with AVX, the stages of half-span 8 and more with
// AVX-512 where `wide`.
template <bool inverse>
[[gnu::target("avx")]] void avx_stages(int n, Bin* a, const double* t, bool wide) {
  reorder_and_first_stages_avx<inverse>(n, a, t);
  int kmax = 4;
  if (log2_of(n) % 2 == 1) {  // an odd number of stages left
    radix2_stage_avx<inverse>(n, a, t, kmax);
    kmax *= 2;
  }
  for (; kmax < n; kmax *= 4) {
    if (wide && kmax >= 8)
      radix4_stages_avx512<inverse>(n, a, t, kmax);
    else
      radix4_stages_avx<inverse>(n, a, t, kmax);
  }
}

#endif

#endif

}  // namespace

bool FftPlan::available(Butterflies how) {
  switch (how) {
    case Butterflies::scalar:
      return true;
    case Butterflies::sse2:
#if defined(__SSE2__)
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

FftPlan::FftPlan(int n, std::pmr::memory_resource* memory) : n_(n), factors_(nullptr, {memory, 0}) {
  if (!is_length(n))
    throw std::invalid_argument("FftPlan: length must be a power of two from 1 to 32768");
  factors_ = last_stage_factors(n, memory);
  for (Butterflies how : {Butterflies::sse2, Butterflies::avx, Butterflies::avx512})
    if (available(how)) widest_ = how;
}

void FftPlan::transform(Bin* a, int ind) const { transform(a, ind, widest_); }

void FftPlan::transform(Bin* a, int ind, Butterflies how) const {
  if (ind != -1 && ind != 1)
    throw std::invalid_argument("FftPlan: the exponent sign must be -1 or +1");
  if (!available(how)) throw std::invalid_argument("FftPlan: butterflies not available here");
  if (n_ <= 1) return;
  const double* t = factors_.get();
  // Below 16 the vector passes have nothing to gain.
  if (how == Butterflies::scalar || n_ < 16) {
    scalar_transform(n_, a, t, ind);
    return;
  }
#if defined(SMPROC_FFT_AVX)
  if (how == Butterflies::avx || how == Butterflies::avx512) {
    const bool wide = how == Butterflies::avx512;
    if (ind < 0)
      avx_stages<false>(n_, a, t, wide);
    else
      avx_stages<true>(n_, a, t, wide);
    return;
  }
#endif
#if defined(__SSE2__)
  if (ind < 0)
    vector_stages<false>(n_, a, t);
  else
    vector_stages<true>(n_, a, t);
#endif
}

void wvfast(int n, Bin* a, int mom, int ind) {
  if (n <= 1) return;
  if (!is_length(n) || n > mom)
    throw std::invalid_argument("wvfast: length must be a power of two within the capacity");
  FftPlan(n).transform(a, ind);
}

}  // namespace smproc
