// The JMA intensity: the filter's gain, the value of a sine worked out by
// hand, the rounding to the reported value and its class.
#include "metrics/jma_intensity.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>
#include <vector>

namespace smproc {
namespace {

TEST(JmaFilterGain, HasTheTabulatedValues) {
  struct Case {
    double f, gain;
  };
  for (const Case c : {Case{0.5, 1.123410}, {1, 0.996369}, {2, 0.697360}, {10, 0.223503}})
    EXPECT_NEAR(jma_filter_gain(c.f), c.gain, 5e-7) << c.f << " Hz";
  EXPECT_EQ(jma_filter_gain(0.0), 0.0);
}

TEST(JmaIntensity, OfASineOnOneComponent) {
  // 1 Hz on a bin of the transform (dt = 1/128 s, 1024 points: 8 whole
  // periods), so the filter scales the sine by W(1) exactly; the same on
  // whichever component it lies.
  const double dt = 1.0 / 128, amplitude = 100.0;
  const int n = 1024;
  std::vector<double> sine(n), zero(n, 0.0);
  for (int i = 0; i < n; ++i) sine[i] = amplitude * std::sin(2 * std::numbers::pi * i * dt);
  std::vector<double> filtered;
  for (double v : sine) filtered.push_back(std::fabs(v * jma_filter_gain(1.0)));
  std::sort(filtered.begin(), filtered.end(), std::greater<>());
  const double a = filtered[static_cast<std::size_t>(std::lround(0.3 / dt)) - 1];
  for (std::size_t c = 0; c < 3; ++c) {
    PerComponent<std::span<const double>> acc{zero, zero, zero};
    acc[c] = sine;
    const std::optional<JmaIntensity> got = jma_intensity(acc, dt, n);
    ASSERT_TRUE(got) << c;
    EXPECT_NEAR(got->a, a, 1e-9 * a) << c;
    EXPECT_NEAR(got->raw, 2 * std::log10(a) + 0.94, 1e-9) << c;
  }
}

TEST(JmaIntensity, NoneForAShortOrStillRecord) {
  const std::vector<double> short_one(20, 5.0), still(200, 0.0);
  EXPECT_FALSE(jma_intensity({short_one, short_one, short_one}, 0.01, 32));
  EXPECT_FALSE(jma_intensity({still, still, still}, 0.01, 256));
}

TEST(JmaReported, RoundsToHundredthsThenCutsToTenths) {
  struct Case {
    double raw, reported;
    const char* jma_class;
  };
  const Case cases[] = {
      {4.495, 4.5, "5-"}, {4.5, 4.5, "5-"},  {4.494, 4.4, "4"},  {5.495, 5.5, "6-"},
      {6.499, 6.5, "7"},  {6.449, 6.4, "6+"}, {0.449, 0.4, "0"}, {-0.35, -0.4, "0"},
      {2.96, 2.9, "3"},   {3.0, 3.0, "3"},    {7.1, 7.1, "7"},   {5.0, 5.0, "5+"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(jma_reported(c.raw), c.reported) << c.raw;
    EXPECT_EQ(jma_class(jma_reported(c.raw)), c.jma_class) << c.raw;
  }
}

}  // namespace
}  // namespace smproc
