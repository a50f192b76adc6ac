// The trapezoidal band-pass over bins 1..nom.
#pragma once

#include "textio/console.h"
#include "run/state.h"

namespace smproc {

// Applies the trapezoid with corners fl1, fl2, fh1, fh2 (Hz) to bins 1..nom
// of fx1..fx3.
void apply_bandpass(State& s);

// Asks whether to filter (nbd) and for the four corners, then filters.
void bandpass_step(State& s, textio::Console& con);

}  // namespace smproc
