#include "metrics/oscillator.h"

#include <algorithm>
#include <cmath>

namespace smproc {

namespace {

struct State {
  double u, v;
};

// The exact step from (u0, v0) under the forcing p + q·τ (τ in [0, dt]):
// the particular solution u_p = p/ω² − 2ζq/ω³ + qτ/ω², plus the damped free
// vibration that meets the start.
State exact_step(double omega, double zeta, double dt, double u0, double v0, double p, double q) {
  const double w2 = omega * omega;
  const double wd = omega * std::sqrt(1.0 - zeta * zeta);
  const double e = std::exp(-zeta * omega * dt);
  const double c = std::cos(wd * dt), s = std::sin(wd * dt);
  const double up0 = p / w2 - 2.0 * zeta * q / (w2 * omega);
  const double vp = q / w2;
  const double c1 = u0 - up0;
  const double c2 = (v0 - vp + zeta * omega * c1) / wd;
  const double free_u = e * (c1 * c + c2 * s);
  const double free_v = e * (-zeta * omega * (c1 * c + c2 * s) + wd * (c2 * c - c1 * s));
  return {up0 + q * dt / w2 + free_u, vp + free_v};
}

}  // namespace

OscillatorStep::OscillatorStep(double omega, double damping, double dt) : omega_(omega) {
  // The step is linear in (u0, v0, a0, a1): its coefficients are its values
  // at the unit inputs. The forcing is −a: p = −a0, q = −(a1 − a0)/dt.
  const State from_u = exact_step(omega, damping, dt, 1.0, 0.0, 0.0, 0.0);
  const State from_v = exact_step(omega, damping, dt, 0.0, 1.0, 0.0, 0.0);
  const State from_a0 = exact_step(omega, damping, dt, 0.0, 0.0, -1.0, 1.0 / dt);
  const State from_a1 = exact_step(omega, damping, dt, 0.0, 0.0, 0.0, -1.0 / dt);
  uu_ = from_u.u, vu_ = from_u.v;
  uv_ = from_v.u, vv_ = from_v.v;
  ua0_ = from_a0.u, va0_ = from_a0.v;
  ua1_ = from_a1.u, va1_ = from_a1.v;
}

void OscillatorStep::displacements(std::span<const double> acc, std::span<double> u) const {
  if (acc.empty()) return;
  double x = 0.0, v = 0.0;
  u[0] = 0.0;
  for (std::size_t i = 1; i < acc.size(); ++i) {
    const double a0 = acc[i - 1], a1 = acc[i];
    const double x1 = uu_ * x + uv_ * v + ua0_ * a0 + ua1_ * a1;
    v = vu_ * x + vv_ * v + va0_ * a0 + va1_ * a1;
    x = x1;
    u[i] = x;
  }
}

double OscillatorStep::peak_displacement(std::span<const double> acc) const {
  double x = 0.0, v = 0.0, peak = 0.0;
  for (std::size_t i = 1; i < acc.size(); ++i) {
    const double a0 = acc[i - 1], a1 = acc[i];
    const double x1 = uu_ * x + uv_ * v + ua0_ * a0 + ua1_ * a1;
    v = vu_ * x + vv_ * v + va0_ * a0 + va1_ * a1;
    x = x1;
    if (std::fabs(x) > peak) peak = std::fabs(x);
  }
  return peak;
}

double OscillatorStep::pair_and_peak(std::span<const double> ns, std::span<const double> ew,
                                     std::span<const double> ud, std::span<double> u_ns,
                                     std::span<double> u_ew, std::size_t stride) const {
  const std::size_t size = std::min({ns.size(), ew.size(), ud.size()});
  if (size == 0) return 0.0;
  const std::size_t n = (size - 1) / stride + 1;
  double x0 = 0.0, v0 = 0.0, x1 = 0.0, v1 = 0.0, x2 = 0.0, v2 = 0.0, peak = 0.0;
  u_ns[0] = 0.0;
  u_ew[0] = 0.0;
  for (std::size_t i = 1; i < n; ++i) {
    // The same sums in the same order as one recursion alone, so each
    // component's displacements are those displacements() gives.
    const std::size_t j0 = (i - 1) * stride, j1 = i * stride;
    const double y0 = uu_ * x0 + uv_ * v0 + ua0_ * ns[j0] + ua1_ * ns[j1];
    const double y1 = uu_ * x1 + uv_ * v1 + ua0_ * ew[j0] + ua1_ * ew[j1];
    const double y2 = uu_ * x2 + uv_ * v2 + ua0_ * ud[j0] + ua1_ * ud[j1];
    v0 = vu_ * x0 + vv_ * v0 + va0_ * ns[j0] + va1_ * ns[j1];
    v1 = vu_ * x1 + vv_ * v1 + va0_ * ew[j0] + va1_ * ew[j1];
    v2 = vu_ * x2 + vv_ * v2 + va0_ * ud[j0] + va1_ * ud[j1];
    x0 = y0, x1 = y1, x2 = y2;
    u_ns[i] = x0;
    u_ew[i] = x1;
    if (std::fabs(x2) > peak) peak = std::fabs(x2);
  }
  return peak;
}

}  // namespace smproc
