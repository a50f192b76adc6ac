// Reversing the sign of chosen components before any processing.
#pragma once

#include "textio/console.h"
#include "run/state.h"

namespace smproc {

// Negates samples 1..nt of xr (a zero becomes a negative zero).
void reverse(Signal& xr, int nt);

// Asks whether to change polarity, then per component, and reverses the
// components answered with 1. Sets myes, my1..my3.
void polarity_step(State& s, textio::Console& con);

}  // namespace smproc
