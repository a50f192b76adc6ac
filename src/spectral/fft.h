// The radix-2 transform of the run.
#pragma once

#include <vector>

#include "spectral/spectrum.h"

namespace smproc {

// The sign of the transform's exponent: forward -1, inverse +1, as wvfast's
// ind.
enum class Direction { forward = -1, inverse = +1 };

// The twiddle factors of one transform length, each computed once from its
// own angle and shared by the forward and inverse transforms of a run.
class FftPlan {
 public:
  // n: the transform length, a power of two from 1 to 2^24; anything else
  // throws std::invalid_argument.
  explicit FftPlan(int n);

  int length() const { return n_; }

  // The forms of the butterflies: two at a time in plain doubles; two, four
  // or eight at a time in SSE2, AVX or AVX-512 registers. All give the same
  // bits.
  enum class Butterflies { scalar, sse2, avx, avx512 };

  // Whether this build on this processor runs the butterflies `how`.
  static bool available(Butterflies how);

  // In-place transform of a[0..n-1] with the plan's length, the same bits as
  // wvfast. Uses the widest butterflies available.
  void transform(Bin* a, Direction direction) const;

  // The same with the butterflies `how`; throws std::invalid_argument where
  // they are not available.
  void transform(Bin* a, Direction direction, Butterflies how) const;

 private:
  int n_;
  Butterflies widest_ = Butterflies::scalar;
  // The forward transform's last-stage factors, (cos, sin) pairs, from which
  // every stage of both directions takes its own.
  std::vector<double> factors_;
};

// In-place decimation-in-time transform of a(1..n), n a power of two not above
// mom; ind = -1 forward (negative exponent), +1 inverse, anything else
// throws std::invalid_argument where n > 1. Nothing is scaled: forward then inverse returns n
// times the input. Computes its factors for this one call; transforms of one
// length should share an FftPlan instead.
void wvfast(int n, Bin* a, int mom, int ind);

}  // namespace smproc
