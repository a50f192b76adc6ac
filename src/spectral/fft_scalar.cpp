// The butterfly stages in plain doubles, for processors without vector
// registers: each "register" is an array the compiler keeps where it likes.
#define SMPROC_FFT_TARGET
#include "spectral/fft_stages.h"

namespace smproc::fft_scalar {
namespace {

template <int N>
struct Lanes {
  double v[N];
};

struct Scalar {
  // One bin, as an SSE2 register holds it.
  using reg = Lanes<2>;
  using quad = Lanes<4>;
  static constexpr int bins = 1;

  static reg load(const Bin* p) { return {{p->re, p->im}}; }
  static void store(Bin* p, reg x) { *p = {x.v[0], x.v[1]}; }
  static reg load_factors(const double* t, int k, int stride) {
    return {{t[2 * k * stride], t[2 * k * stride + 1]}};
  }
  static reg zero() { return {{0.0, 0.0}}; }
  static reg unpacklo(reg x, reg y) { return {{x.v[0], y.v[0]}}; }
  static reg unpackhi(reg x, reg y) { return {{x.v[1], y.v[1]}}; }
  static quad broadcast(double x) { return {{x, x, x, x}}; }

  template <int N>
  static Lanes<N> add(Lanes<N> x, Lanes<N> y) {
    for (int i = 0; i < N; ++i) x.v[i] = x.v[i] + y.v[i];
    return x;
  }
  template <int N>
  static Lanes<N> sub(Lanes<N> x, Lanes<N> y) {
    for (int i = 0; i < N; ++i) x.v[i] = x.v[i] - y.v[i];
    return x;
  }
  template <int N>
  static Lanes<N> mul(Lanes<N> x, Lanes<N> y) {
    for (int i = 0; i < N; ++i) x.v[i] = x.v[i] * y.v[i];
    return x;
  }

  static void gather(const Bin* in, quad& re, quad& im) {
    for (int lane = 0; lane < 4; ++lane) {
      re.v[lane] = in[fft_stages::rev2[lane]].re;
      im.v[lane] = in[fft_stages::rev2[lane]].im;
    }
  }
  static void scatter(Bin* out, int quarter, const quad* re, const quad* im) {
    for (int lane = 0; lane < 4; ++lane)
      for (int b = 0; b < 4; ++b) out[lane * quarter + b] = {re[b].v[lane], im[b].v[lane]};
  }
};

constexpr StageKernels forward = fft_stages::all_stages<Scalar, false>();
constexpr StageKernels inverse = fft_stages::all_stages<Scalar, true>();

}  // namespace

const StageKernels& kernels(Direction direction) {
  return direction == Direction::forward ? forward : inverse;
}

}  // namespace smproc::fft_scalar
