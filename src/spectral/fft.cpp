#include "spectral/fft.h"

#include <array>
#include <cmath>
#include <stdexcept>

namespace smproc {

namespace {

// The transform's own value of pi; every twiddle angle is built from it, so
// the results carry its 4.1e-10 excess and not those of a full-precision pi.
constexpr double pai = 3.141592654;
// The largest transform of a run.
constexpr int max_length = 32768;

}  // namespace

void wvfast(int n, Bin* a, int mom, int ind) {
  if (n <= 1) return;
  if ((n & (n - 1)) != 0 || n > mom || n > max_length)
    throw std::invalid_argument("wvfast: length must be a power of two within the capacity");

  // Elements numbered from 1, as the stages count them.
  auto x = [a](int i) -> Bin& { return a[i - 1]; };

  // Bit-reversal permutation.
  int j = 1;
  for (int i = 1; i <= n; ++i) {
    if (i < j) {
      const Bin temp = x(j);
      x(j) = x(i);
      x(i) = temp;
    }
    int m = n / 2;
    while (j > m) {
      j -= m;
      m /= 2;
      if (m <= 1) break;
    }
    j += m;
  }

  // Twiddle factors of the last stage, each from its own angle. Product
  // first, quotient second: the other order changes the last bit. An earlier
  // stage's angle (k-1)*ind*pai/kmax equals this stage's angle at position
  // (k-1)*(half/kmax) to the last bit, since scaling by a power of two is
  // exact, so every stage takes its factors from here.
  const int half = n / 2;
  std::array<Bin, max_length / 2> w;
  for (int k = 1; k <= half; ++k) {
    const double angle = static_cast<double>((k - 1) * ind) * pai / static_cast<double>(half);
    w[k - 1] = {std::cos(angle), std::sin(angle)};
  }

  // Butterfly stages, half-spans 1, 2, 4, ..., n/2; within a stage the
  // butterflies are independent, so they run group by group in memory order.
  for (int kmax = 1; kmax < n; kmax *= 2) {
    const int istep = 2 * kmax;
    const int stride = half / kmax;
    for (int g = 1; g <= n; g += istep) {
      for (int k = 1; k <= kmax; ++k) {
        const double wr = w[(k - 1) * stride].re;
        const double wi = w[(k - 1) * stride].im;
        Bin& p = x(g + k - 1);
        Bin& q = x(g + k - 1 + kmax);
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

}  // namespace smproc
