// The highest frequency samples dt apart can hold, and the band-pass corners
// that lie past it.
#pragma once

#include <array>

#include "spectral/bandpass.h"

namespace smproc {

// 1 / (2 dt), Hz, for dt in seconds.
double nyquist_hz(double dt);

// For fl1, fl2, fh1, fh2 in turn: whether the corner lies above the
// frequency `nyquist` (Hz).
std::array<bool, 4> corners_above(const Corners& corners, double nyquist);

}  // namespace smproc
