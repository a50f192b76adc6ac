// The radix-2 transform of the run.
#pragma once

#include "spectral/spectrum.h"

namespace smproc {

// In-place decimation-in-time transform of a(1..n), n a power of two not above
// mom; ind = -1 forward (negative exponent), +1 inverse. Nothing is scaled:
// forward then inverse returns n times the input.
void wvfast(int n, Bin* a, int mom, int ind);

}  // namespace smproc
