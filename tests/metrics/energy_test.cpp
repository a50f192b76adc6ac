// Arias intensity, CAV and significant durations of records whose sums are
// known in closed form.
#include "metrics/energy.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

namespace smproc {
namespace {

TEST(EnergyMeasures, OfAConstant) {
  const double dt = 0.01, c = -200.0;  // gal
  const int n = 1001;                  // 10 s
  const std::vector<double> acc(n, c);
  const EnergyMeasures m = energy_measures(acc, dt);
  const double span = (n - 1) * dt;
  EXPECT_NEAR(m.arias, std::numbers::pi / (2 * standard_gravity) * span * 4.0, 1e-12);
  EXPECT_NEAR(m.cav, span * 200.0, 1e-9);
  // The Husid curve is the straight line t/span.
  ASSERT_TRUE(m.d5_75 && m.d5_95);
  EXPECT_NEAR(*m.d5_75, 0.70 * span, 1e-9);
  EXPECT_NEAR(*m.d5_95, 0.90 * span, 1e-9);
}

TEST(EnergyMeasures, OfALinearRamp) {
  // acc(i) = i − 1 gal: Σ ((j)² + (j+1)²)/2 over j = 0..n−2, and Σ (2j+1)/2.
  const double dt = 0.02;
  const int n = 501;
  std::vector<double> acc(n);
  for (int i = 0; i < n; ++i) acc[i] = i;
  const auto squares = [](double m) { return m * (m + 1) * (2 * m + 1) / 6; };
  const double arias_sum = (squares(n - 2) + squares(n - 1)) / 2 * 1e-4 * dt;
  const EnergyMeasures m = energy_measures(acc, dt);
  EXPECT_NEAR(m.arias, std::numbers::pi / (2 * standard_gravity) * arias_sum, 1e-12 * m.arias);
  EXPECT_NEAR(m.cav, dt * (n - 1) * (n - 1) / 2.0, 1e-9);
  // The curve grows as t³ to first order: t_p ≈ p^(1/3)·span.
  const double span = (n - 1) * dt;
  EXPECT_NEAR(*husid_time(acc, dt, 0.5), std::cbrt(0.5) * span, 2e-3 * span);
}

TEST(EnergyMeasures, DurationsUndefinedWithoutEnergy) {
  const std::vector<double> still(100, 0.0);
  const EnergyMeasures m = energy_measures(still, 0.01);
  EXPECT_EQ(m.arias, 0.0);
  EXPECT_FALSE(m.d5_75);
  EXPECT_FALSE(m.d5_95);
  EXPECT_FALSE(energy_measures({}, 0.01).d5_95);
}

TEST(HusidTime, InterpolatesBetweenTheSamplesAroundTheCrossing) {
  // All energy in the first interval: H = 0, 1, 1: t_p = p·dt.
  const std::vector<double> acc = {10.0, 0.0, 0.0};
  EXPECT_NEAR(*husid_time(acc, 0.5, 0.05), 0.025, 1e-15);
  EXPECT_NEAR(*husid_time(acc, 0.5, 0.95), 0.475, 1e-15);
}

}  // namespace
}  // namespace smproc
