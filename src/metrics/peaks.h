// The peak of each component over the waveform file's rows.
#pragma once

#include <optional>

#include "metrics/metric.h"

namespace smproc {

struct Peak {
  double value = 0.0;  // the largest absolute value, in the unit of the output
  double time = 0.0;   // (i - 1) * dt of the first row that holds it, s
};

// The peak of component c over the rows the waveform file holds (after
// window and stride); none when the file has no data row.
std::optional<Peak> peak_over_rows(const WaveformSeries& w, int c);

// peak_ns, peak_time_ns, peak_ew, peak_time_ew, peak_ud, peak_time_ud
// (real and time); empty when no waveform row was written.
void peaks(const StationData& data, StationResult& out);

}  // namespace smproc
