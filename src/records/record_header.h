// What a record's header states about the station and the recording. Only
// the scale line is needed to process a record; these are read to tell the
// user when the record is not what the run assumes.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "records/component.h"

namespace smproc {

struct HeaderFacts {
  std::string station_code;       // "Station Code"
  std::string station_latitude;   // "Station Lat.", as stated
  std::string station_longitude;  // "Station Long.", as stated
  std::string sampling;           // "Sampling Freq(Hz)", as stated, e.g. "100Hz"
  std::optional<double> sampling_hz;  // its leading number, when it has one
  std::string direction;          // "Dir.", e.g. "N-S"
};

// Reads the facts from header lines of the form "label, blanks, value"
// (labels in the first 18 columns). A missing label leaves its fact empty.
HeaderFacts header_facts(const std::vector<std::string>& header);

// The direction a component's record should state: "N-S", "E-W" or "U-D".
std::string_view expected_direction(int component);

// What a header's "Dir." states: K-NET's N-S, E-W, U-D (in any case, with
// or without blanks and dash) name a component; KiK-net's codes name a
// component of a sensor: 1, 2, 3 borehole NS, EW, UD; 4, 5, 6 surface.
struct StatedDirection {
  int component = -1;            // 0 NS, 1 EW, 2 UD; -1: not one of the known forms
  Sensor sensor = Sensor::none;  // none for K-NET's forms
};
StatedDirection stated_direction(std::string_view stated);

// KiK-net's code for a sensor's component, 1 to 6; 0 for Sensor::none.
int direction_code(int component, Sensor sensor);

}  // namespace smproc
