// The time window cut from the back-transformed series, and the row stride.
#pragma once

#include "records/series.h"
#include "textio/console.h"
#include "textio/warnings.h"

namespace smproc {

// The answers of the window and decimation dialogue.
struct WindowAnswers {
  int cut = 0;          // icut: 1 cuts a window
  double start = 0.0;   // stime: window start as typed, s
  double length = 0.0;  // dur: window length as typed, s
  int nstime = 0;       // window start as a sample offset
  int ndur = 0;         // window length in samples
  int stride = 0;       // iskip: row stride, the typed skip value + 1
};

// Sample offset of a start time and sample count of a duration, truncated
// toward zero and clamped to the integer range.
int start_offset(double stime, double dt);
int window_length(double dur, double dt);

// Copies samples nstime+1 .. nstime+ndur of xr into x (zeros for positions
// outside the series' capacity) and returns the new count, ndur clipped to
// the capacity.
int cut_window(PerComponent<const Series*> xr, PerComponent<Series*> x, int nstime, int ndur);

// Asks whether to cut (and for start and duration), cutting x from xr and
// setting nt; then asks for the skip value.
void window_step(textio::Console& con, textio::Warnings& warnings, double dt,
                 PerComponent<const Series*> xr, PerComponent<Series*> x, int& nt,
                 WindowAnswers& answers);

}  // namespace smproc
