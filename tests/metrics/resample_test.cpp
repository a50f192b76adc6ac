// Band-limited resampling passes through the samples and reproduces a
// band-limited signal between them, to the few parts in 10^9 the run's
// transform leaves.
#include "metrics/resample.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

namespace smproc {
namespace {

TEST(BandLimitedResample, ThroughTheSamplesAndBetweenThemForAPeriodicSine) {
  const int nf = 256, n = 256;
  std::vector<double> a(n), b(n), c(n);
  const auto sine = [](double i) { return 3.0 * std::sin(2 * std::numbers::pi * 5 * i / 256); };
  const auto cosine = [](double i) { return std::cos(2 * std::numbers::pi * 17 * i / 256 + 0.4); };
  for (int i = 0; i < n; ++i) a[i] = sine(i), b[i] = cosine(i), c[i] = sine(i) - cosine(i);
  const std::span<const double> series[] = {a, b, c};
  for (const int k : {2, 8}) {
    const std::vector<std::vector<double>> fine = band_limited_resample(series, nf, k);
    ASSERT_EQ(fine.size(), 3u);
    for (const auto& f : fine) ASSERT_EQ(f.size(), static_cast<std::size_t>(k * (n - 1) + 1));
    for (std::size_t j = 0; j < fine[0].size(); ++j) {
      const double i = static_cast<double>(j) / k;
      ASSERT_NEAR(fine[0][j], sine(i), 1e-8) << k << ", " << j;
      ASSERT_NEAR(fine[1][j], cosine(i), 1e-8) << k << ", " << j;
      ASSERT_NEAR(fine[2][j], sine(i) - cosine(i), 1e-8) << k << ", " << j;
    }
  }
}

TEST(BandLimitedResample, ThroughTheSamplesOfAnyRecord) {
  const int nf = 128, n = 100;  // zero-padded
  std::vector<double> a(n);
  for (int i = 0; i < n; ++i) a[i] = std::sin(0.37 * i * i) * 50 + (i % 7);
  const std::span<const double> series[] = {a};
  const std::vector<std::vector<double>> fine = band_limited_resample(series, nf, 4);
  for (int i = 0; i < n; ++i) ASSERT_NEAR(fine[0][static_cast<std::size_t>(4 * i)], a[i], 1e-8) << i;
}

}  // namespace
}  // namespace smproc
