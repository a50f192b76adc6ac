// The spectral frame: into the frequency domain and back.
#pragma once

#include "records/series.h"
#include "spectral/spectrum.h"
#include "textio/console.h"

namespace smproc {

// The frequency grid of a run.
struct Grid {
  int nf = 0;        // transform length, a power of two from 4 to 32768
  int if1 = 0;       // log2(nf)
  double dur = 0.0;  // nf * dt, s
  double dom = 0.0;  // angular-frequency step between bins, rad/s
  int nom = 0;       // bins from zero frequency to Nyquist, both included
  double eom = 0.0;  // nom * dom, echoed only
};

// Chooses nf and if1 for nt (least power of two >= 4 not below nt); returns
// false when nt exceeds 32768.
bool choose_length(int nt, int& nf, int& if1);

// Forward half: chooses the grid for nt and dt, loads samples 1..nt of
// xr into fx zero-padded to nf bins, transforms them, scales them by dt and
// echoes the grid. Returns false after the " NT>2**15 !!!!!" line when nt is
// above 32768, with fx and grid untouched.
bool forward_half(textio::Console& con, PerComponent<const Series*> xr, int nt, double dt,
                  PerComponent<Spectrum*> fx, Grid& grid);

// Inverse half: completes fx by conjugate symmetry from bins 1..nom,
// transforms it back and puts the real parts divided by dur into samples
// 1..nf of xr.
void inverse_half(const Grid& grid, PerComponent<Spectrum*> fx, PerComponent<Series*> xr);

}  // namespace smproc
