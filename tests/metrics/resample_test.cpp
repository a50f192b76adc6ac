// Band-limited resampling passes through the samples and, between them,
// follows the trigonometric interpolant of the zero-padded record, to the
// few parts in 10^9 the run's transform leaves.
#include "metrics/resample.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

namespace smproc {
namespace {

// Fine sample t of component c.
double at(const FineRecord& fine, std::size_t t, int c) {
  const TriaxialSample& s = fine.rows[(t % fine.k) * fine.n + t / fine.k];
  return c == 0 ? s.ns : c == 1 ? s.ew : s.ud;
}

TEST(BandLimitedResample, ThroughTheSamplesAndBetweenThemForAPeriodicSine) {
  const int nf = 256, n = 256;
  std::vector<double> a(n), b(n), c(n);
  const auto sine = [](double i) { return 3.0 * std::sin(2 * std::numbers::pi * 5 * i / 256); };
  const auto cosine = [](double i) { return std::cos(2 * std::numbers::pi * 17 * i / 256 + 0.4); };
  for (int i = 0; i < n; ++i) a[i] = sine(i), b[i] = cosine(i), c[i] = sine(i) - cosine(i);
  const FftPlan plan(nf);
  for (const int k : {2, 8}) {
    std::vector<TriaxialSample> rows(static_cast<std::size_t>(k * n));
    const FineRecord fine = band_limited_resample({a, b, c}, plan, k, rows);
    ASSERT_EQ(fine.size(), static_cast<std::size_t>(k * (n - 1) + 1));
    for (std::size_t t = 0; t < fine.size(); ++t) {
      const double i = static_cast<double>(t) / k;
      ASSERT_NEAR(at(fine, t, 0), sine(i), 1e-8) << k << ", " << t;
      ASSERT_NEAR(at(fine, t, 1), cosine(i), 1e-8) << k << ", " << t;
      ASSERT_NEAR(at(fine, t, 2), sine(i) - cosine(i), 1e-8) << k << ", " << t;
    }
  }
}

TEST(BandLimitedResample, FollowsTheInterpolantOfAZeroPaddedRecord) {
  // x(t) = (1/nf)·Σ X_m·e^(2πi·m·t/nf) over |m| < nf/2, plus the Nyquist bin
  // once as a cosine, summed directly at every fine instant.
  const int nf = 128, n = 100;
  std::vector<double> a(n), b(n), c(n);
  for (int i = 0; i < n; ++i) {
    a[i] = std::sin(0.37 * i * i) * 50 + (i % 7);
    b[i] = (i % 2 ? 1.0 : -1.0) * 20;  // much of it at the Nyquist frequency
    c[i] = std::cos(0.11 * i) * 9 - (i % 3);
  }
  const auto interpolant = [&](const std::vector<double>& x, double t) {
    long double sum = 0.0L;
    for (int m = 0; m <= nf / 2; ++m) {
      long double re = 0.0L, im = 0.0L;
      for (int i = 0; i < n; ++i) {
        const long double angle = -2.0L * std::numbers::pi_v<long double> * m * i / nf;
        re += x[static_cast<std::size_t>(i)] * std::cos(angle);
        im += x[static_cast<std::size_t>(i)] * std::sin(angle);
      }
      const long double angle = 2.0L * std::numbers::pi_v<long double> * m * t / nf;
      const long double term = re * std::cos(angle) - im * std::sin(angle);
      sum += (m == 0 || m == nf / 2) ? term : 2.0L * term;
    }
    return static_cast<double>(sum / nf);
  };
  const int k = 4;
  std::vector<TriaxialSample> rows(k * n);
  const FineRecord fine = band_limited_resample({a, b, c}, FftPlan(nf), k, rows);
  for (std::size_t t = 0; t < fine.size(); ++t) {
    const double i = static_cast<double>(t) / k;
    // A few parts in 10^9 of peaks of some 50, 20 and 10.
    ASSERT_NEAR(at(fine, t, 0), interpolant(a, i), 2e-7) << t;
    ASSERT_NEAR(at(fine, t, 1), interpolant(b, i), 1e-7) << t;
    ASSERT_NEAR(at(fine, t, 2), interpolant(c, i), 5e-8) << t;
    if (t % k == 0) {
      ASSERT_EQ(at(fine, t, 0), a[t / k]) << t;  // the record itself
    }
  }
}

}  // namespace
}  // namespace smproc
