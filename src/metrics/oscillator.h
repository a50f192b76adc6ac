// The damped single-degree-of-freedom oscillator under a ground
// acceleration, solved exactly for acceleration linear between samples.
#pragma once

#include <cstddef>
#include <span>

#include "metrics/rotd.h"
#include "records/series.h"

namespace smproc {

// The three components' values at one instant, side by side as the
// oscillators read them.
struct TriaxialSample {
  double ns, ew, ud;
};

// A record sampled k times finer (k a power of two) by delay: row j of n
// samples holds the fine samples k·i + j, i = 0, 1, ... (rows past the
// first hold n − 1 of them); row 0 is the record itself. The fine record has
// k·(n − 1) + 1 samples.
struct FineRecord {
  std::span<const TriaxialSample> rows;  // k·n
  std::size_t n = 0;
  std::size_t k = 1;

  std::size_t size() const { return n == 0 ? 0 : k * (n - 1) + 1; }
};

// Steps of dt of u'' + 2ζωu' + ω²u = −a(t), a linear over each step: (u, u')
// at a step's end from (u, u') at its start and a at both ends. The
// recursion takes two steps at a time (the one step composed with itself),
// so that each pair of samples waits on one product and two sums, not two of
// each; every form below runs the same sums in the same order and gives the
// same bits.
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

  // The three components' recursions side by side over every stride-th
  // fine sample (samples 1, 1 + stride, ...; stride a power of two): the
  // horizontal displacements into `horizontal` (one point for each sample
  // taken), and each component's peak |u|.
  PerComponent<double> triaxial(const FineRecord& acc, std::size_t stride,
                                std::span<HorizontalPoint> horizontal) const;

  // The coefficients of one step and of two: u at the end is
  // u_u·u + u_v·u' + Σ u_a[j]·a_j over the step's samples, u' likewise.
  struct Coefficients {
    double uu, uv, ua[3];
    double vu, vv, va[3];
  };

 private:
  double omega_;
  Coefficients one_{}, two_{};
};

}  // namespace smproc
