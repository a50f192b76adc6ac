// The spectral frame: into the frequency domain and back.
#pragma once

#include "textio/console.h"
#include "run/state.h"

namespace smproc {

// Chooses nf and if1 for nt (least power of two >= 4 not below nt); returns
// false when nt exceeds 32768.
bool choose_length(int nt, int& nf, int& if1);

// Forward half: chooses nf, loads and zero-pads fx1..fx3 from xr1..xr3,
// transforms them, scales by dt, sets dur, dom, nom, eom and echoes the grid.
// Returns false after the " NT>2**15 !!!!!" line when nt is above 32768: the
// run then ends with status 0.
bool forward_half(State& s, textio::Console& con);

// Inverse half: completes fx1..fx3 by conjugate symmetry from bins 1..nom,
// transforms them back and puts the real parts divided by dur into
// xr1..xr3 (samples 1..nf).
void inverse_half(State& s);

}  // namespace smproc
