// Konno–Ohmachi smoothing: a constant stays constant, a spike spreads over
// the window's reach only, centres are 10^(j/100) within the bins.
#include "metrics/konno_ohmachi.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace smproc {
namespace {

std::vector<double> bins(int count, double df) {
  std::vector<double> f;
  for (int k = 1; k <= count; ++k) f.push_back(k * df);
  return f;
}

TEST(KonnoOhmachi, KeepsAConstantSpectrum) {
  const std::vector<double> f = bins(4096, 0.0122);
  const std::vector<double> a(f.size(), 3.5);
  const SmoothedSpectrum s = konno_ohmachi(f, a, 40.0);
  ASSERT_FALSE(s.frequency.empty());
  EXPECT_GE(s.frequency.front(), f.front());
  EXPECT_LE(s.frequency.back(), f.back());
  int with_value = 0;
  for (std::size_t j = 0; j < s.frequency.size(); ++j) {
    // The lowest centres may see no bin.
    if (s.amplitude[j]) {
      ++with_value;
      EXPECT_NEAR(*s.amplitude[j], 3.5, 1e-12) << s.frequency[j];
    } else {
      EXPECT_LT(s.frequency[j], 4 * f.front()) << s.frequency[j];  // bins far apart there
    }
    if (j) {
      EXPECT_NEAR(std::log10(s.frequency[j] / s.frequency[j - 1]), 0.01, 1e-12);
    }
  }
  EXPECT_GT(with_value, 300);
}

TEST(KonnoOhmachi, SpreadsASpikeOverTheWindowOnly) {
  const double b = 40.0;
  const std::vector<double> f = bins(2000, 0.01);  // 0.01 .. 20 Hz
  std::vector<double> a(f.size(), 0.0);
  const std::size_t spike = 99;  // 1 Hz
  a[spike] = 1.0;
  const SmoothedSpectrum s = konno_ohmachi(f, a, b);
  for (std::size_t j = 0; j < s.frequency.size(); ++j) {
    const double x = b * std::log10(f[spike] / s.frequency[j]);
    if (std::fabs(x) > 3.0 + 1e-9) {
      EXPECT_EQ(s.amplitude[j].value_or(0.0), 0.0) << s.frequency[j];
    } else if (std::fabs(x) < 2.9) {
      EXPECT_GT(s.amplitude[j].value_or(0.0), 0.0) << s.frequency[j];
    }
  }
}

TEST(KonnoOhmachi, NoValueWhereNoBinFallsIn) {
  // Two bins a decade apart: centres between them see neither.
  const std::vector<double> f = {1.0, 10.0}, a = {2.0, 4.0};
  const SmoothedSpectrum s = konno_ohmachi(f, a, 40.0);
  ASSERT_EQ(s.frequency.size(), 101u);
  EXPECT_EQ(s.amplitude.front(), 2.0);
  EXPECT_EQ(s.amplitude.back(), 4.0);
  EXPECT_FALSE(s.amplitude[50]);
}

}  // namespace
}  // namespace smproc
