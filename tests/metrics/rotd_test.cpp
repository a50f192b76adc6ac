// The rotated peaks of a horizontal pair: against every point tried in every
// direction, and for pairs whose answer is known in closed form.
#include "metrics/rotd.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>
#include <vector>

namespace smproc {
namespace {

TEST(RotatedPeaks, EqualTheBruteForcePeakInEveryDirection) {
  std::mt19937 random(7);
  std::normal_distribution<double> normal;
  struct Case {
    const char* what;
    std::vector<double> ns, ew;
  };
  std::vector<Case> cases;
  {
    Case c{"noise", {}, {}};
    for (int i = 0; i < 3000; ++i) c.ns.push_back(normal(random)), c.ew.push_back(normal(random));
    cases.push_back(c);
  }
  {
    Case c{"a decaying elliptical orbit, many points near the rim", {}, {}};
    for (int i = 0; i < 6000; ++i) {
      const double t = 0.01 * i, e = std::exp(-0.01 * t);
      c.ns.push_back(e * 3 * std::cos(7 * t)), c.ew.push_back(e * std::sin(7 * t + 0.3));
    }
    cases.push_back(c);
  }
  cases.push_back({"one point extreme in three directions", {0, 5, 1, -1, 0.5, -2, 1}, {0, 5, -1, 1, 2, 0.3, -3}});
  cases.push_back({"points on one line", {1, 2, -3, 0.5, 2}, {2, 4, -6, 1, 4}});
  cases.push_back({"repeated points", {1, 1, 1, 1, -2}, {0, 0, 0, 0, 1}});
  cases.push_back({"three points", {1, 0, -1}, {0, 2, 0}});
  for (const Case& c : cases) {
    const std::array<double, 180> got = rotated_peaks(c.ns, c.ew);
    for (int degree = 0; degree < 180; ++degree) {
      const double theta = degree * std::numbers::pi / 180.0;
      double want = 0.0;
      for (std::size_t i = 0; i < c.ns.size(); ++i)
        want = std::max(want, std::fabs(std::cos(theta) * c.ns[i] + std::sin(theta) * c.ew[i]));
      ASSERT_EQ(got[static_cast<std::size_t>(degree)], want) << c.what << ", " << degree << "°";
    }
  }
}

TEST(RotD, OfOneMotionAlongAFixedAzimuth) {
  // The peaks are |cos(θ − azimuth)| times the motion's peak: RotD100 is the
  // peak, and the median of |cos| over whole degrees of a half turn is cos 45°.
  std::vector<double> s;
  for (int i = 0; i < 2000; ++i) s.push_back(std::sin(0.05 * i) * std::exp(-0.002 * i) * 80.0);
  double peak = 0.0;
  for (double v : s) peak = std::max(peak, std::fabs(v));
  for (const double azimuth : {0.0, 30.0}) {
    const double a = azimuth * std::numbers::pi / 180.0;
    std::vector<double> ns, ew;
    for (double v : s) ns.push_back(std::cos(a) * v), ew.push_back(std::sin(a) * v);
    const RotD r = rotd(ns, ew);
    EXPECT_NEAR(r.rotd100, peak, 1e-12 * peak) << azimuth;
    EXPECT_NEAR(r.rotd50, std::cos(std::numbers::pi / 4) * peak, 1e-12 * peak) << azimuth;
  }
}

}  // namespace
}  // namespace smproc
