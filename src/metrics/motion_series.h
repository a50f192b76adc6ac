// The series a station's intensity measures are computed from, formed from
// each component's spectrum as the run holds it after the band-pass.
#pragma once

#include <span>

#include "metrics/intensity_measures.h"
#include "spectral/frame.h"
#include "spectral/spectrum.h"

namespace smproc {

// Adds component c to the series: acc, vel and dis from its band-passed
// spectrum (bins 1..nf, scaled by dt, no operator yet), back-transformed
// with no operator, integrated once and twice, samples 1..n; its amplitudes
// |fx| at bins 2..nom; and `ground`, its calibrated series before any of
// it, samples 1..n.
void add_component(MotionSeries& series, int c, const Grid& grid, const Spectrum& band_passed,
                   std::span<const double> ground, int n, double dt);

}  // namespace smproc
