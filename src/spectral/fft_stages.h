// The butterfly stages, written once over an instruction set's traits V.
// Included by each instruction set's file after it defines SMPROC_FFT_TARGET
// (the function attribute that compiles for that set); everything here has
// internal linkage, so no function compiled for one set is shared with
// another.
//
// V provides, for `reg` (V::bins bins, real part before imaginary):
//   load(const Bin*), store(Bin*, reg), zero(), add, sub, mul,
//   unpacklo(x, y) and unpackhi(x, y) (the even, resp. odd, doubles of x and
//   y interleaved, x first, within each pair of bins),
//   load_factors(t, k, stride): the factors at positions k*stride,
//   (k+1)*stride, ... (V::bins of them);
// and, for reorder_and_first_stages, `quad` (four doubles, lane by lane):
//   broadcast(double), add, sub, mul,
//   gather(in, re, im): bins in[0], in[2], in[1], in[3] into lanes 0 to 3,
//   scatter(out, quarter, re[4], im[4]): lane A of re[B], im[B] to
//   out[A * quarter + B].
#pragma once

#include "spectral/fft_kernels.h"

#ifndef SMPROC_FFT_TARGET
#error "define SMPROC_FFT_TARGET before including spectral/fft_stages.h"
#endif

namespace smproc::fft_stages {
namespace {

[[maybe_unused]] int log2_of(int n) {
  int bits = 0;
  while ((1 << bits) < n) ++bits;
  return bits;
}

// The bits of m + 1, `bits` of them, in reverse order, from those of m (mr):
// adding one at the top of the reversed number, carrying downwards.
[[maybe_unused]] int next_reversed(int mr, int bits) {
  int bit = bits > 0 ? 1 << (bits - 1) : 0;
  while (bit > 0 && (mr & bit) != 0) {
    mr ^= bit;
    bit >>= 1;
  }
  return mr | bit;
}

// The two-bit reversal: 0, 2, 1, 3.
constexpr int rev2[4] = {0, 2, 1, 3};

// Factors are loaded for a block of positions k at a time and then serve
// every group, so each is gathered once per stage while the groups still pass
// through memory in order.
constexpr int block = 64;

// 2 V::bins independent butterflies: (p0, q0) and (p1, q1), with the factor
// lanes in the order the unpacks give them. The same products, sums and
// differences, in the same order, as one butterfly at a time.
template <class V, class R = typename V::reg>
SMPROC_FFT_TARGET inline void butterflies(R& p0, R& q0, R& p1, R& q1, R wr, R wi) {
  const R ar = V::unpacklo(q0, q1);
  const R ai = V::unpackhi(q0, q1);
  const R tr = V::sub(V::mul(ar, wr), V::mul(ai, wi));
  const R ti = V::add(V::mul(ar, wi), V::mul(ai, wr));
  const R t0 = V::unpacklo(tr, ti);
  const R t1 = V::unpackhi(tr, ti);
  q0 = V::sub(p0, t0);
  p0 = V::add(p0, t0);
  q1 = V::sub(p1, t1);
  p1 = V::add(p1, t1);
}

// The factors of positions k to k + 2 V::bins - 1 (times stride) for
// butterflies, real parts in wr and imaginary parts in wi; the inverse takes
// 0 - sin.
template <class V, bool inverse, class R = typename V::reg>
SMPROC_FFT_TARGET inline void factors(const double* t, int k, int stride, R& wr, R& wi) {
  const R lo = V::load_factors(t, k, stride);
  const R hi = V::load_factors(t, k + V::bins, stride);
  wr = V::unpacklo(lo, hi);
  wi = V::unpackhi(lo, hi);
  if constexpr (inverse) wi = V::sub(V::zero(), wi);
}

// One stage of half-span kmax >= 2 V::bins.
template <class V, bool inverse>
SMPROC_FFT_TARGET void radix2_stage(int n, Bin* a, const double* t, int kmax) {
  using R = typename V::reg;
  constexpr int step = 2 * V::bins;
  const int stride = n / (2 * kmax);
  R w[2 * block / step];
  for (int k0 = 0; k0 < kmax; k0 += block) {
    const int k1 = kmax < k0 + block ? kmax : k0 + block;
    for (int k = k0; k < k1; k += step) {
      R* wk = w + 2 * (k - k0) / step;
      factors<V, inverse>(t, k, stride, wk[0], wk[1]);
    }
    for (int g = 0; g < n; g += 2 * kmax) {
      for (int k = k0; k < k1; k += step) {
        const R* wk = w + 2 * (k - k0) / step;
        Bin* p = a + g + k;
        Bin* q = p + kmax;
        R p0 = V::load(p), p1 = V::load(p + V::bins);
        R q0 = V::load(q), q1 = V::load(q + V::bins);
        butterflies<V>(p0, q0, p1, q1, wk[0], wk[1]);
        V::store(p, p0);
        V::store(p + V::bins, p1);
        V::store(q, q0);
        V::store(q + V::bins, q1);
      }
    }
  }
}

// The stages of half-span kmax and 2 kmax (kmax >= 2 V::bins) in one pass
// over the array: the four values g+k, g+k+kmax, g+k+2kmax, g+k+3kmax meet
// only each other in both stages, so they stay in registers between them.
template <class V, bool inverse>
SMPROC_FFT_TARGET void radix4_stages(int n, Bin* a, const double* t, int kmax) {
  using R = typename V::reg;
  constexpr int step = 2 * V::bins;
  constexpr int h = V::bins;
  const int stride_a = n / (2 * kmax);
  const int stride_b = stride_a / 2;
  R w[6 * block / step];
  for (int k0 = 0; k0 < kmax; k0 += block) {
    const int k1 = kmax < k0 + block ? kmax : k0 + block;
    for (int k = k0; k < k1; k += step) {
      R* wk = w + 6 * (k - k0) / step;
      factors<V, inverse>(t, k, stride_a, wk[0], wk[1]);
      factors<V, inverse>(t, k, stride_b, wk[2], wk[3]);
      factors<V, inverse>(t, k + kmax, stride_b, wk[4], wk[5]);
    }
    for (int g = 0; g < n; g += 4 * kmax) {
      for (int k = k0; k < k1; k += step) {
        const R* wk = w + 6 * (k - k0) / step;
        Bin* e0 = a + g + k;
        Bin* e1 = e0 + kmax;
        Bin* e2 = e1 + kmax;
        Bin* e3 = e2 + kmax;
        R x0 = V::load(e0), y0 = V::load(e0 + h);
        R x1 = V::load(e1), y1 = V::load(e1 + h);
        R x2 = V::load(e2), y2 = V::load(e2 + h);
        R x3 = V::load(e3), y3 = V::load(e3 + h);
        butterflies<V>(x0, x1, y0, y1, wk[0], wk[1]);
        butterflies<V>(x2, x3, y2, y3, wk[0], wk[1]);
        butterflies<V>(x0, x2, y0, y2, wk[2], wk[3]);
        butterflies<V>(x1, x3, y1, y3, wk[4], wk[5]);
        V::store(e0, x0);
        V::store(e0 + h, y0);
        V::store(e1, x1);
        V::store(e1 + h, y1);
        V::store(e2, x2);
        V::store(e2 + h, y2);
        V::store(e3, x3);
        V::store(e3 + h, y3);
      }
    }
  }
}

// Four butterflies, one per lane: (pr, pi) and (qr, qi) with the factor
// (wr, wi).
template <class V, class Q = typename V::quad>
SMPROC_FFT_TARGET inline void lane_butterflies(Q& pr, Q& pi, Q& qr, Q& qi, Q wr, Q wi) {
  const Q tr = V::sub(V::mul(qr, wr), V::mul(qi, wi));
  const Q ti = V::add(V::mul(qr, wi), V::mul(qi, wr));
  qr = V::sub(pr, tr);
  qi = V::sub(pi, ti);
  pr = V::add(pr, tr);
  pi = V::add(pi, ti);
}

// Reads the values for the blocks with middle bits m from middle bits mr and
// passes them through the stages of half-span 1 and 2: re[B], im[B] hold bin
// B of block A in lane A. w: the factors of half-span 1 (w[0], w[1]) and of
// the second butterfly of half-span 2 (w[2], w[3]).
template <class V, class Q = typename V::quad>
SMPROC_FFT_TARGET inline void gather_blocks(const Bin* a, int quarter, int mr, const Q* w, Q* re,
                                            Q* im) {
  for (int b = 0; b < 4; ++b) V::gather(a + rev2[b] * quarter + 4 * mr, re[b], im[b]);
  lane_butterflies<V>(re[0], im[0], re[1], im[1], w[0], w[1]);
  lane_butterflies<V>(re[2], im[2], re[3], im[3], w[0], w[1]);
  lane_butterflies<V>(re[0], im[0], re[2], im[2], w[0], w[1]);
  lane_butterflies<V>(re[1], im[1], re[3], im[3], w[2], w[3]);
}

// Bit reversal together with the stages of half-span 1 and 2, n >= 16.
// Position (A, m, B), with A the top two bits, B the bottom two and m the
// bits between, takes the value from (rev B, rev m, rev A). The sixteen
// values with middle bits m and those with middle bits rev m are all read
// before any of them is written, so the exchange works in place; the four
// blocks (A, m, .), A = 0..3, pass both stages side by side in the lanes.
template <class V, bool inverse>
SMPROC_FFT_TARGET void reorder_and_first_stages(int n, Bin* a, const double* t) {
  using Q = typename V::quad;
  const int quarter = n / 4;
  const int mid_bits = log2_of(n) - 4;
  Q w[4] = {V::broadcast(t[0]), V::broadcast(t[1]), V::broadcast(t[n / 2]),
            V::broadcast(t[n / 2 + 1])};
  if constexpr (inverse) {
    w[1] = V::sub(V::broadcast(0.0), w[1]);
    w[3] = V::sub(V::broadcast(0.0), w[3]);
  }
  Q re_m[4], im_m[4], re_mr[4], im_mr[4];
  for (int m = 0, mr = 0; m < (1 << mid_bits); ++m, mr = next_reversed(mr, mid_bits)) {
    if (mr < m) continue;  // done with its partner
    gather_blocks<V>(a, quarter, mr, w, re_mr, im_mr);
    if (mr != m) gather_blocks<V>(a, quarter, m, w, re_m, im_m);
    V::scatter(a + 4 * m, quarter, re_mr, im_mr);
    if (mr != m) V::scatter(a + 4 * mr, quarter, re_m, im_m);
  }
}

// The passes of V for one direction.
template <class V, bool inverse>
constexpr StageKernels all_stages() {
  return {&reorder_and_first_stages<V, inverse>, &radix2_stage<V, inverse>,
          &radix4_stages<V, inverse>, 2 * V::bins};
}

}  // namespace
}  // namespace smproc::fft_stages
