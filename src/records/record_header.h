// What a record's header states about the station and the recording. Only
// the scale line is needed to process a record; these are read to tell the
// user when the record is not what the run assumes.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

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

// True when the stated direction names a component other than this one;
// false when it matches or is not one of the three known forms.
bool direction_disagrees(std::string_view stated, int component);

}  // namespace smproc
