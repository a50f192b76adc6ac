// Band-limited interpolation of a series to a k times finer sampling.
#pragma once

#include <span>
#include <vector>

namespace smproc {

// Each series of n samples, zero-padded to nf points (a power of two not
// below n) and transformed, its spectrum placed in a k·nf-point spectrum
// (nothing above the original Nyquist bin, whose value is split in halves
// between its positive and its negative frequency) and transformed back:
// samples 1..k·(n − 1) + 1 at dt/k, passing through the originals (sample
// 1 + k·(i − 1) is sample i up to rounding). k is a power of two; k·nf at
// most the longest transform. Two series share each transform, one as its
// real part and one as its imaginary part.
std::vector<std::vector<double>> band_limited_resample(
    std::span<const std::span<const double>> series, int nf, int k);

}  // namespace smproc
