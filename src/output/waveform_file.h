// The processed waveforms, written to the file the user names.
#pragma once

#include "textio/console.h"
#include "textio/files.h"
#include "run/state.h"

namespace smproc {

// Number of data rows for nt samples at the given stride.
int row_count(int nt, int stride);

// Asks for the file name (otfile), writes the header and every stride-th
// sample of x1..x3 with its time, in the place.
void waveform_file_step(State& s, textio::Console& con, const textio::OutputPlace& place = {});

}  // namespace smproc
