// The trapezoidal band-pass over bins 1..nom.
#pragma once

#include <span>

#include "spectral/spectrum.h"
#include "records/series.h"

namespace smproc {

// The four corners as typed, Hz: the low stop band ends at fl1, the pass band
// runs from fl2 to fh1, the high stop band starts at fh2.
struct Corners {
  double fl1 = 0.0, fl2 = 0.0, fh1 = 0.0, fh2 = 0.0;
};

// Applies the trapezoid to bins 1..nom of the spectra, bin i lying at
// (i - 1) * dom rad/s.
void apply_bandpass(const Corners& corners, int nom, double dom, std::span<Spectrum* const> fx);

// The number of bins 1..nom that the trapezoid leaves non-zero: those strictly
// between the outer corners, oml1 < (i - 1) * dom < omh2.
int passed_bins(const Corners& corners, int nom, double dom);

}  // namespace smproc
