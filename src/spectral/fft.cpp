#include "spectral/fft.h"

#include <cmath>
#include <stdexcept>

namespace smproc {

namespace {

// The transform's own value of pi; every twiddle angle is built from it, so
// the results carry its 4.1e-10 excess and not those of a full-precision pi.
constexpr double pai = 3.141592654;

}  // namespace

void wvfast(int n, Bin* a, int mom, int ind) {
  if (n <= 1) return;
  if ((n & (n - 1)) != 0 || n > mom)
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

  // Butterfly stages, half-spans 1, 2, 4, ..., n/2.
  for (int kmax = 1; kmax < n;) {
    const int istep = 2 * kmax;
    for (int k = 1; k <= kmax; ++k) {
      // Product first, quotient second: the other order changes the last bit.
      const double angle =
          static_cast<double>((k - 1) * ind) * pai / static_cast<double>(kmax);
      // Each factor from its own angle; a recurrence would drift in the last digits.
      const double wr = std::cos(angle);
      const double wi = std::sin(angle);
      for (int i = k; i <= n; i += istep) {
        Bin& p = x(i);
        Bin& q = x(i + kmax);
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
    kmax = istep;
  }
}

}  // namespace smproc
