#include "metrics/oscillator.h"

#include <bit>
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

using Coefficients = OscillatorStep::Coefficients;

// Two steps as one: s'' = A²s + A·b0·a0 + (A·b1 + b0)·a1 + b1·a2, for the
// step s' = A·s + b0·a0 + b1·a1; composed in extended precision, so that
// each coefficient is rounded once.
Coefficients twice(const Coefficients& c) {
  using L = long double;
  const L uu = c.uu, uv = c.uv, vu = c.vu, vv = c.vv;
  const L ua0 = c.ua[0], ua1 = c.ua[1], va0 = c.va[0], va1 = c.va[1];
  Coefficients t{};
  t.uu = static_cast<double>(uu * uu + uv * vu);
  t.uv = static_cast<double>(uu * uv + uv * vv);
  t.vu = static_cast<double>(vu * uu + vv * vu);
  t.vv = static_cast<double>(vu * uv + vv * vv);
  t.ua[0] = static_cast<double>(uu * ua0 + uv * va0);
  t.va[0] = static_cast<double>(vu * ua0 + vv * va0);
  t.ua[1] = static_cast<double>(uu * ua1 + uv * va1 + ua0);
  t.va[1] = static_cast<double>(vu * ua1 + vv * va1 + va0);
  t.ua[2] = c.ua[1];
  t.va[2] = c.va[1];
  return t;
}

// The recursion over `count` samples from rest, for one series (Lanes a
// double) or several side by side (Lanes a vector of them): emit(i, u(i))
// for every sample. The sums that carry (u, u') from one pair of samples to
// the next come first, the forcing's after, each in a fixed order.
template <class Lanes, class Load, class Emit>
[[gnu::always_inline]] inline void recursion(const Coefficients& one, const Coefficients& two,
                                             std::size_t count, Load load, Emit emit) {
  if (count == 0) return;
  const auto all = [](double c) { return Lanes{} + c; };
  const Lanes uu1 = all(one.uu), uv1 = all(one.uv), ua10 = all(one.ua[0]), ua11 = all(one.ua[1]);
  const Lanes uu2 = all(two.uu), uv2 = all(two.uv);
  const Lanes ua20 = all(two.ua[0]), ua21 = all(two.ua[1]), ua22 = all(two.ua[2]);
  const Lanes vu2 = all(two.vu), vv2 = all(two.vv);
  const Lanes va20 = all(two.va[0]), va21 = all(two.va[1]), va22 = all(two.va[2]);
  Lanes x = all(0.0), v = all(0.0);
  emit(0, x);
  std::size_t i = 0;
  for (; i + 2 < count; i += 2) {
    const Lanes a0 = load(i), a1 = load(i + 1), a2 = load(i + 2);
    const Lanes x1 = (uu1 * x + uv1 * v) + (ua10 * a0 + ua11 * a1);
    const Lanes x2 = (uu2 * x + uv2 * v) + ((ua20 * a0 + ua21 * a1) + ua22 * a2);
    v = (vu2 * x + vv2 * v) + ((va20 * a0 + va21 * a1) + va22 * a2);
    x = x2;
    emit(i + 1, x1);
    emit(i + 2, x2);
  }
  if (i + 1 < count) emit(i + 1, (uu1 * x + uv1 * v) + (ua10 * load(i) + ua11 * load(i + 1)));
}

// Four doubles in one vector register: the three components and a fourth
// lane that stays at rest.
typedef double Lanes __attribute__((vector_size(32)));

[[gnu::always_inline]] inline PerComponent<double> triaxial_recursion(
    const Coefficients& one, const Coefficients& two, const FineRecord& acc, std::size_t stride,
    std::span<HorizontalPoint> horizontal) {
  const std::size_t count = acc.n == 0 ? 0 : (acc.size() - 1) / stride + 1;
  const std::size_t delays = acc.k - 1, shift = static_cast<std::size_t>(std::countr_zero(acc.k));
  const TriaxialSample* const rows = acc.rows.data();
  Lanes peak{};
  const auto load = [&](std::size_t i) {
    const std::size_t t = i * stride;  // fine sample t is sample t/k of row t mod k
    const TriaxialSample& s = rows[(t & delays) * acc.n + (t >> shift)];
    return Lanes{s.ns, s.ew, s.ud, 0.0};
  };
  const auto emit = [&](std::size_t i, Lanes x) {
    const Lanes size = x < 0.0 ? -x : x;
    peak = size > peak ? size : peak;
    horizontal[i] = {x[0], x[1]};
  };
  recursion<Lanes>(one, two, count, load, emit);
  return {peak[0], peak[1], peak[2]};
}

[[gnu::target("avx")]] PerComponent<double> triaxial_avx(const Coefficients& one, const Coefficients& two,
                                                         const FineRecord& acc, std::size_t stride,
                                                         std::span<HorizontalPoint> horizontal) {
  return triaxial_recursion(one, two, acc, stride, horizontal);
}

PerComponent<double> triaxial_plain(const Coefficients& one, const Coefficients& two,
                                    const FineRecord& acc, std::size_t stride,
                                    std::span<HorizontalPoint> horizontal) {
  return triaxial_recursion(one, two, acc, stride, horizontal);
}

}  // namespace

OscillatorStep::OscillatorStep(double omega, double damping, double dt) : omega_(omega) {
  // The step is linear in (u0, v0, a0, a1): its coefficients are its values
  // at the unit inputs. The forcing is −a: p = −a0, q = −(a1 − a0)/dt.
  const State from_u = exact_step(omega, damping, dt, 1.0, 0.0, 0.0, 0.0);
  const State from_v = exact_step(omega, damping, dt, 0.0, 1.0, 0.0, 0.0);
  const State from_a0 = exact_step(omega, damping, dt, 0.0, 0.0, -1.0, 1.0 / dt);
  const State from_a1 = exact_step(omega, damping, dt, 0.0, 0.0, 0.0, -1.0 / dt);
  one_.uu = from_u.u, one_.vu = from_u.v;
  one_.uv = from_v.u, one_.vv = from_v.v;
  one_.ua[0] = from_a0.u, one_.va[0] = from_a0.v;
  one_.ua[1] = from_a1.u, one_.va[1] = from_a1.v;
  two_ = twice(one_);
}

void OscillatorStep::displacements(std::span<const double> acc, std::span<double> u) const {
  recursion<double>(one_, two_, acc.size(), [&](std::size_t i) { return acc[i]; },
                    [&](std::size_t i, double x) { u[i] = x; });
}

double OscillatorStep::peak_displacement(std::span<const double> acc) const {
  double peak = 0.0;
  recursion<double>(one_, two_, acc.size(), [&](std::size_t i) { return acc[i]; },
                    [&](std::size_t, double x) {
                      if (std::fabs(x) > peak) peak = std::fabs(x);
                    });
  return peak;
}

PerComponent<double> OscillatorStep::triaxial(const FineRecord& acc, std::size_t stride,
                                              std::span<HorizontalPoint> horizontal) const {
  if (__builtin_cpu_supports("avx")) return triaxial_avx(one_, two_, acc, stride, horizontal);
  return triaxial_plain(one_, two_, acc, stride, horizontal);
}

}  // namespace smproc
