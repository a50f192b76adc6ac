#include "output/window.h"

#include <cmath>
#include <limits>

namespace smproc {

namespace {

// Truncation toward zero of a sample quotient; quotients outside the integer
// range are clamped to it rather than left undefined.
int truncate_clamped(double q) {
  constexpr int lo = std::numeric_limits<int>::min();
  constexpr int hi = std::numeric_limits<int>::max();
  if (std::isnan(q)) return 0;
  if (q >= static_cast<double>(hi)) return hi;
  if (q <= static_cast<double>(lo)) return lo;
  return static_cast<int>(q);
}

}  // namespace

int start_offset(double stime, double dt) { return truncate_clamped(stime / dt); }

int window_length(double dur, double dt) {
  int q = truncate_clamped(dur / dt);
  return q == std::numeric_limits<int>::max() ? q : q + 1;
}

int cut_window(PerComponent<const Series*> xr, PerComponent<Series*> x, int nstime, int ndur,
               int capacity) {
  // Positions before the record or past the capacity read as zero, and a
  // window longer than the capacity keeps only what it holds.
  const int n = ndur < capacity ? ndur : capacity;
  for (int c = 0; c < 3; ++c) {
    x[c]->extend_to(n);
    for (int i = 1; i <= n; ++i) {
      long long k = static_cast<long long>(i) + nstime;
      (*x[c])(i) = k <= 0 || k > capacity ? 0.0 : xr[c]->get(static_cast<int>(k));
    }
  }
  return n;
}

}  // namespace smproc
