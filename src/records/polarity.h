// Reversing the sign of chosen components before any processing.
#pragma once

#include "records/series.h"

namespace smproc {

// Negates samples 1..nt of xr, at most `capacity` (a zero becomes a negative
// zero); positions up to nt that the record did not reach are zeros and
// become negative zeros.
void reverse(Series& xr, int nt, int capacity = smproc::capacity);

}  // namespace smproc
