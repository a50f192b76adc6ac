// Reversing the sign of chosen components before any processing.
#pragma once

#include "records/series.h"
#include "textio/console.h"

namespace smproc {

// Negates samples 1..nt of xr (a zero becomes a negative zero); positions up
// to nt that the record did not reach are zeros and become negative zeros.
void reverse(Series& xr, int nt);

// The answers of the polarity dialogue.
struct PolarityAnswers {
  int change = 0;                 // myes: 1 asks per component
  PerComponent<int> reverse{};    // my1..my3: 1 reverses that component
};

// Asks whether to change polarity, then per component, and reverses the
// components answered with 1.
void polarity_step(textio::Console& con, PerComponent<Series*> xr, int nt,
                   PolarityAnswers& answers);

}  // namespace smproc
