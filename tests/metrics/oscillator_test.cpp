// The oscillator's exact steps against an independent fine-step integration
// and against the steady state of a long sine.
#include "metrics/oscillator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

namespace smproc {
namespace {

// u'' + 2ζωu' + ω²u = −a(t), a linear between samples, by the classical
// Runge–Kutta method with `sub` steps a sample.
std::vector<double> fine_steps(const std::vector<double>& acc, double dt, double omega,
                               double zeta, int sub) {
  std::vector<double> u(acc.size(), 0.0);
  double x = 0.0, v = 0.0;
  const double h = dt / sub;
  for (std::size_t i = 1; i < acc.size(); ++i) {
    const auto a = [&](double tau) { return acc[i - 1] + (acc[i] - acc[i - 1]) * tau / dt; };
    const auto f = [&](double tau, double xx, double vv) {
      return -a(tau) - 2 * zeta * omega * vv - omega * omega * xx;
    };
    for (int s = 0; s < sub; ++s) {
      const double t = s * h;
      const double k1x = v, k1v = f(t, x, v);
      const double k2x = v + h / 2 * k1v, k2v = f(t + h / 2, x + h / 2 * k1x, v + h / 2 * k1v);
      const double k3x = v + h / 2 * k2v, k3v = f(t + h / 2, x + h / 2 * k2x, v + h / 2 * k2v);
      const double k4x = v + h * k3v, k4v = f(t + h, x + h * k3x, v + h * k3v);
      x += h / 6 * (k1x + 2 * k2x + 2 * k3x + k4x);
      v += h / 6 * (k1v + 2 * k2v + 2 * k3v + k4v);
    }
    u[i] = x;
  }
  return u;
}

TEST(OscillatorStep, MatchesAFineStepIntegration) {
  struct Case {
    const char* what;
    double period, zeta, dt;
  };
  const Case cases[] = {
      {"5 % damped, 0.3 s", 0.3, 0.05, 0.01},
      {"undamped, 1 s", 1.0, 0.0, 0.01},
      {"heavily damped, 2 s", 2.0, 0.7, 0.02},
      {"period close to the step", 0.05, 0.05, 0.005},
  };
  // A pulse, then free vibration; and a rough, broad-band stretch.
  std::vector<double> acc(400, 0.0);
  acc[3] = 100.0;
  acc[4] = -40.0;
  for (int i = 200; i < 260; ++i) acc[i] = 50.0 * std::sin(0.7 * i) * std::cos(0.23 * i * i);
  for (const Case& c : cases) {
    const double omega = 2 * std::numbers::pi / c.period;
    std::vector<double> u(acc.size());
    OscillatorStep(omega, c.zeta, c.dt).displacements(acc, u);
    const std::vector<double> ref = fine_steps(acc, c.dt, omega, c.zeta, 200);
    double scale = 0.0;
    for (double r : ref) scale = std::max(scale, std::fabs(r));
    ASSERT_GT(scale, 0.0) << c.what;
    for (std::size_t i = 0; i < acc.size(); ++i)
      ASSERT_NEAR(u[i], ref[i], 1e-9 * scale) << c.what << ", sample " << i + 1;
    double peak = 0.0;
    for (double x : u) peak = std::max(peak, std::fabs(x));
    EXPECT_EQ(OscillatorStep(omega, c.zeta, c.dt).peak_displacement(acc), peak) << c.what;
    // Three components side by side, each as alone; on a record twice as
    // fine, every other sample is the record itself.
    const std::vector<double> reversed(acc.rbegin(), acc.rend());
    std::vector<double> u_reversed(acc.size());
    OscillatorStep(omega, c.zeta, c.dt).displacements(reversed, u_reversed);
    std::vector<TriaxialSample> rows(2 * acc.size());
    for (std::size_t i = 0; i < acc.size(); ++i) {
      rows[i] = {acc[i], reversed[i], -acc[i]};
      rows[acc.size() + i] = {1e3, -1e3, 1e3};  // the delayed row, never read at stride 2
    }
    for (const std::size_t k : {1, 2}) {
      const FineRecord record{rows, acc.size(), k};
      std::vector<HorizontalPoint> horizontal(acc.size());
      const PerComponent<double> peaks = OscillatorStep(omega, c.zeta, c.dt).triaxial(record, k, horizontal);
      for (std::size_t i = 0; i < acc.size(); ++i) {
        ASSERT_EQ(horizontal[i].ns, u[i]) << c.what << ", sample " << i + 1;
        ASSERT_EQ(horizontal[i].ew, u_reversed[i]) << c.what << ", sample " << i + 1;
      }
      EXPECT_EQ(peaks[0], peak) << c.what;
      EXPECT_EQ(peaks[2], peak) << c.what;
    }
  }
}

TEST(OscillatorStep, ReachesTheSteadyStateOfALongSine) {
  // amplitude A/(ω²·√((1−r²)² + (2ζr)²)), r the ratio of the forcing's
  // frequency to the oscillator's; the sine taken linear between samples
  // keeps sinc²(ω·dt/2) of its amplitude.
  const double dt = 0.001, zeta = 0.05, amplitude = 100.0;
  for (const double r : {0.5, 1.0, 2.0}) {
    const double omega = 2 * std::numbers::pi / 0.5;
    const double forcing = r * omega;
    const int n = 200000;  // 200 s: the free vibration has died out
    std::vector<double> acc(n);
    for (int i = 0; i < n; ++i) acc[i] = amplitude * std::sin(forcing * i * dt);
    std::vector<double> u(n);
    OscillatorStep(omega, zeta, dt).displacements(acc, u);
    double peak = 0.0;
    for (int i = n - 5000; i < n; ++i) peak = std::max(peak, std::fabs(u[i]));
    const double x = forcing * dt / 2, linear = std::pow(std::sin(x) / x, 2);
    const double want = linear * amplitude /
                        (omega * omega * std::sqrt(std::pow(1 - r * r, 2) + std::pow(2 * zeta * r, 2)));
    EXPECT_NEAR(peak, want, 1e-4 * want) << "r = " << r;
  }
}

}  // namespace
}  // namespace smproc
