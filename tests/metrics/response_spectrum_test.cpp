// The response spectra: the resampling factor for short periods, and the
// spectra of a pair whose rotated peaks are known.
#include "metrics/response_spectrum.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "metrics/oscillator.h"

namespace smproc {
namespace {

TEST(ResamplingFactor, LeastPowerOfTwoWithTenStepsAPeriod) {
  struct Case {
    double period, dt;
    int k;
  };
  for (const Case c : {Case{0.1, 0.01, 1}, {1.0, 0.01, 1}, {0.05, 0.01, 2}, {0.03, 0.01, 4},
                       {0.02, 0.01, 8}, {0.01, 0.01, 16}, {0.01, 0.005, 8}, {0.075, 0.01, 2}})
    EXPECT_EQ(resampling_factor(c.period, c.dt), c.k) << c.period << " s at " << c.dt;
}

TEST(ResponseSpectra, OfAPairAlongOneAzimuth) {
  // NS = cos 30°·s, EW = sin 30°·s: each component's psa scales, RotD100 is
  // the psa of s, RotD50 cos 45° of it; UD = s has it whole.
  const double dt = 0.01;
  const int n = 2000, nf = 2048;
  std::vector<double> s(n);
  for (int i = 0; i < n; ++i)
    s[i] = 100 * std::sin(2 * std::numbers::pi * 1.3 * i * dt) * std::exp(-0.3 * i * dt);
  const double a = std::numbers::pi / 6;
  std::vector<double> ns(n), ew(n);
  for (int i = 0; i < n; ++i) ns[i] = std::cos(a) * s[i], ew[i] = std::sin(a) * s[i];
  const double periods[] = {0.05, 0.3, 1.0}, dampings[] = {0.05, 0.02};
  const ResponseSpectra rs = response_spectra({ns, ew, s}, dt, nf, periods, dampings);
  ASSERT_EQ(rs.size(), 2u);
  for (std::size_t d = 0; d < 2; ++d) {
    ASSERT_EQ(rs[d].size(), 3u);
    for (std::size_t p = 0; p < 3; ++p) {
      const SpectralAcceleration& sa = rs[d][p];
      const double whole = sa.component[2];
      EXPECT_GT(whole, 0.0);
      EXPECT_NEAR(sa.component[0], std::cos(a) * whole, 1e-9 * whole);
      EXPECT_NEAR(sa.component[1], std::sin(a) * whole, 1e-9 * whole);
      EXPECT_NEAR(sa.rotd100, whole, 1e-9 * whole);
      EXPECT_NEAR(sa.rotd50, std::cos(std::numbers::pi / 4) * whole, 1e-9 * whole);
    }
  }
  // A period of at least ten steps runs on the record itself.
  const double omega = 2 * std::numbers::pi / 1.0;
  EXPECT_EQ(rs[0][2].component[2], omega * omega * OscillatorStep(omega, 0.05, dt).peak_displacement(s));
}

}  // namespace
}  // namespace smproc
