// The radix-2 transform of the run.
#pragma once

#include <vector>

#include "run/state.h"

namespace smproc {

// The twiddle factors of one transform length, each computed once from its
// own angle and shared by the forward and inverse transforms of a run.
class FftPlan {
 public:
  // n: the transform length, a power of two from 1 to 32768; anything else
  // throws std::invalid_argument.
  explicit FftPlan(int n);

  int length() const { return n_; }

  // In-place transform of a[0..n-1] with the plan's length, the same bits as
  // wvfast; ind = -1 forward, +1 inverse (anything else throws
  // std::invalid_argument). Runs the butterflies in vector registers where
  // the machine has them.
  void transform(Bin* a, int ind) const;

  // The same transform one butterfly at a time on every machine; the vector
  // butterflies must agree with it bit for bit.
  void transform_scalar(Bin* a, int ind) const;

  // Whether transform() uses vector registers on this build.
  static bool vectorised();

 private:
  int n_;
  // The forward transform's last-stage factors, (cos, sin) pairs, from which
  // every stage of both directions takes its own.
  std::vector<double> factors_;
};

// In-place decimation-in-time transform of a(1..n), n a power of two not above
// mom; ind = -1 forward (negative exponent), +1 inverse. Nothing is scaled:
// forward then inverse returns n times the input.
void wvfast(int n, Bin* a, int mom, int ind);

}  // namespace smproc
