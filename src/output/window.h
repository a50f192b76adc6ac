// The time window cut from the back-transformed series, and the row stride.
#pragma once

#include "records/series.h"

namespace smproc {

// Sample offset of a start time and sample count of a duration, truncated
// toward zero and clamped to the integer range.
int start_offset(double stime, double dt);
int window_length(double dur, double dt);

// Copies samples nstime+1 .. nstime+ndur of xr into x (zeros for positions
// outside 1..capacity) and returns the new count, ndur clipped to `capacity`.
int cut_window(PerComponent<const Series*> xr, PerComponent<Series*> x, int nstime, int ndur,
               int capacity = smproc::capacity);

}  // namespace smproc
