// How a station's outputs were made: the rate, the band-pass and the
// operation the run used, what the waveform file holds and in which unit,
// and the program that wrote it.
#pragma once

#include <string>

#include "metrics/metric.h"

namespace smproc {

// What a waveform file holds after an operation on acceleration records.
struct OutputQuantity {
  const char* operation;  // "none", "integrate", "integrate twice", "differentiate"
  const char* quantity;   // "acceleration", "velocity", "displacement", "acceleration derivative"
  const char* unit;       // "gal", "cm/s", "cm", "gal/s"
};
OutputQuantity output_quantity(Operation op);

// The four corners as bandpass_hz writes them: each the shortest text that
// reads back to it, separated by blanks ("0.1 0.2 20 25"), so the cell needs
// no quoting.
std::string corner_text(const Corners& corners);

// rate_hz (real), bandpass_hz, operation, output_quantity, output_unit and
// smproc_version (text); none of them in the table. Empty where the run did
// not get so far: no rate before the three records agree, no band-pass or
// operation before they are answered (bandpass_hz empty without a band-pass).
void provenance(const StationData& data, StationResult& out);

}  // namespace smproc
