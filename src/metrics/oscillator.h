// The damped single-degree-of-freedom oscillator under a ground
// acceleration, solved exactly for acceleration linear between samples.
#pragma once

#include <span>

namespace smproc {

// One step of dt of u'' + 2ζωu' + ω²u = −a(t), a linear over the step:
// (u, u') at its end from (u, u') at its start and a at both ends.
class OscillatorStep {
 public:
  // omega > 0 rad/s, 0 <= damping < 1, dt > 0 s.
  OscillatorStep(double omega, double damping, double dt);

  double omega() const { return omega_; }

  // Relative displacement u(i) (unit of acc·s²) at samples 1..n from rest,
  // u(1) = u'(1) = 0, into u (at least acc.size() long).
  void displacements(std::span<const double> acc, std::span<double> u) const;

  // max |u(i)| over the samples, without keeping them.
  double peak_displacement(std::span<const double> acc) const;

  // The horizontal pair's displacements and the vertical's peak in one
  // pass: three recursions side by side, each as the ones above, over every
  // stride-th sample of the series (samples 1, 1 + stride, ...; u holds one
  // value for each).
  double pair_and_peak(std::span<const double> ns, std::span<const double> ew,
                       std::span<const double> ud, std::span<double> u_ns,
                       std::span<double> u_ew, std::size_t stride = 1) const;

 private:
  double omega_;
  // u1 = uu·u0 + uv·v0 + ua0·a0 + ua1·a1, and v1 likewise.
  double uu_, uv_, ua0_, ua1_;
  double vu_, vv_, va0_, va1_;
};

}  // namespace smproc
