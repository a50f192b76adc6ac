// What a station's run leaves for its metrics, and the shape of a metric.
#pragma once

#include <optional>
#include <span>

#include "metrics/column.h"
#include "metrics/intensity_measures.h"
#include "records/record_header.h"
#include "records/series.h"
#include "spectral/bandpass.h"
#include "spectral/integrate.h"

namespace smproc {

// The series a waveform file was written from and which of their samples
// its rows hold.
struct WaveformSeries {
  // Samples 1.. of each component (sample i at index i - 1); samples past
  // the span read as zero, as the file writes them.
  PerComponent<std::span<const double>> x;
  int nt = 0;       // samples the file covers
  int stride = 0;   // the row stride, as the waveform file takes it
  double dt = 0.0;  // sampling interval, s
};

// How a station's records were processed, as far as the run got.
struct Processing {
  std::optional<double> rate_hz;    // the sampling frequency the interval is 1/f of, Hz
  bool answered = false;            // the band-pass and operation questions were answered
  std::optional<Corners> bandpass;  // the corners, Hz, when a band-pass was chosen
  Operation operation = Operation::none;
};

// What a station's run found, as far as it got.
struct StationData {
  HeaderFacts header;                        // as the NS record's header states them
  PerComponent<std::optional<StatedNumber>> max_acc_gal;  // each header's Max. Acc.
  PerComponent<std::optional<int>> samples;  // each record's count; none: not counted
  std::optional<WaveformSeries> waveform;    // none: no waveform file was written
  Processing processing;
  // The intensity measures asked for (none: not asked, no columns of theirs)
  // and, when the run got so far, their values.
  const MeasureOptions* measure_options = nullptr;
  const IntensityMeasures* measures = nullptr;
};

// A metric appends its columns to a station's result: always the same
// columns in the same order, whatever the station got to, with no value
// where the data it needs is missing.
using Metric = void (*)(const StationData& data, StationResult& out);

}  // namespace smproc
