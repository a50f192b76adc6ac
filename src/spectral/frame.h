// The spectral frame: into the frequency domain and back.
#pragma once

#include <memory>

#include <optional>

#include "records/constants.h"
#include "records/series.h"
#include "spectral/fft.h"
#include "spectral/spectrum.h"

namespace smproc {

// The frequency grid of a run.
struct Grid {
  int nf = 0;        // transform length, a power of two from 4 to 2^max_if1
  int if1 = 0;       // log2(nf)
  double dur = 0.0;  // nf * dt, s
  double dom = 0.0;  // angular-frequency step between bins, rad/s
  int nom = 0;       // bins from zero frequency to Nyquist, both included
  double eom = 0.0;  // nom * dom, echoed only
  // The twiddle factors of nf, computed once for the run's six transforms.
  std::shared_ptr<const FftPlan> plan;
};

// Chooses nf and if1 for nt (least power of two >= 4 not below nt); returns
// false when nt exceeds 2^max_if1 (32768 unless a run allows more).
bool choose_length(int nt, int& nf, int& if1, int max_if1 = RecordLimits{}.max_if1);

// The grid for nt and dt, with the twiddle factors of nf; none when nt is
// above 2^max_if1.
std::optional<Grid> choose_grid(int nt, double dt, int max_if1 = RecordLimits{}.max_if1);

// One component into the frequency domain: samples 1..nt of xr as the real
// parts of fx, zero-padded to nf bins, transformed and scaled by dt.
void forward_transform(const Grid& grid, const Series& xr, int nt, double dt, Spectrum& fx);

// One component back: completes fx by conjugate symmetry from bins 1..nom,
// transforms it back and puts the real parts divided by dur into samples
// 1..nf of xr.
void inverse_transform(const Grid& grid, Spectrum& fx, Series& xr);

}  // namespace smproc
