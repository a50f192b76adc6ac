// The processed waveforms, written to the file the user names.
#pragma once

#include <string>

#include "records/series.h"
#include "files/files.h"

namespace smproc {

// Number of data rows for nt samples at the given stride.
int row_count(int nt, int stride);
// The step between the samples of consecutive rows: the stride, or 1 for a
// stride of 0 (a typed skip of -1).
inline int row_step(int stride) { return stride == 0 ? 1 : stride; }

// Writes the waveform file `otfile` (trailing blanks dropped) in the place:
// the header and every stride-th sample 1..nt of x with its time
// (i - 1) * dt; in full precision, each number as the shortest text that
// reads back to it.
void write_waveform_file(const textio::OutputPlace& place, const std::string& otfile,
                         PerComponent<const Series*> x, int nt, int stride, double dt,
                         bool full_precision = false);

}  // namespace smproc
