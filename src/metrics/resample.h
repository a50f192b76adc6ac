// Band-limited interpolation of a record to a k times finer sampling.
#pragma once

#include <span>

#include "metrics/oscillator.h"
#include "records/series.h"
#include "spectral/fft.h"

namespace smproc {

// Each component of n samples, zero-padded to nf points (the plan's length,
// a power of two not below n) and transformed, its spectrum placed in a
// k·nf-point spectrum (nothing above the original Nyquist bin, whose value
// is split in halves between its positive and its negative frequency) and
// transformed back: samples 1..k·(n − 1) + 1 at dt/k, passing through the
// originals (sample 1 + k·(i − 1) is sample i). k is a power of two; rows
// holds k·n samples, and the result is the fine record over them.
//
// Sample k·i + j of the long inverse is sample i of an nf-point inverse of
// the spectrum delayed by j/k of a sample, so the k·nf-point transform is
// never formed: k − 1 short ones for the horizontal pair (one as the real
// part, one as the imaginary) and k/2 for the vertical (two delays at once),
// each giving one row.
FineRecord band_limited_resample(PerComponent<std::span<const double>> acc, const FftPlan& plan,
                                 int k, std::span<TriaxialSample> rows);

}  // namespace smproc
