// The time window cut from the back-transformed series, and the row stride.
#pragma once

#include "textio/console.h"
#include "run/state.h"

namespace smproc {

// Sample offset of a start time and sample count of a duration, truncated
// toward zero and clamped to the integer range.
int start_offset(double stime, double dt);
int window_length(double dur, double dt);

// Copies samples nstime+1 .. nstime+ndur of xr1..xr3 into x1..x3 (zeros for
// positions outside the arrays) and sets nt = ndur, clipped to the capacity.
void cut_window(State& s);

// Asks whether to cut (and for start and duration), then for the skip value;
// sets iskip to the row stride.
void window_step(State& s, textio::Console& con);

}  // namespace smproc
