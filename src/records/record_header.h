// What a record's header states about the event, the station and the
// recording. Only the scale line is needed to process a record; these are
// read to place the record in time and space and to tell the user when the
// record is not what the run assumes.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "records/component.h"
#include "records/header_time.h"

namespace smproc {

// A number as the header states it: its text (a plain decimal, as written)
// and its value.
struct StatedNumber {
  std::string text;
  double value = 0.0;
};

// Each fact from its line of the 17: lines 1-5 the event, 6-9 the station,
// 10-13 the recording, 15 the peak. A label is known by how it begins, as its
// wording varies between years ("Long."/"Lon."); a line whose label is
// another or whose value cannot be read leaves its fact empty.
struct HeaderFacts {
  std::optional<CivilTime> origin_time;          // 1 "Origin Time", JST
  std::optional<StatedNumber> event_latitude;    // 2 "Lat.", degrees north
  std::optional<StatedNumber> event_longitude;   // 3 "Long."/"Lon.", degrees east
  std::optional<StatedNumber> event_depth_km;    // 4 "Depth. (km)"
  std::optional<StatedNumber> magnitude;         // 5 "Mag."
  std::string station_code;                      // 6 "Station Code"
  std::string station_latitude;                  // 7 "Station Lat.", as stated
  std::string station_longitude;                 // 8 "Station Long.", as stated
  std::optional<StatedNumber> station_latitude_deg;   // 7, when a number of degrees
  std::optional<StatedNumber> station_longitude_deg;  // 8, likewise
  std::optional<StatedNumber> station_height_m;  // 9 "Station Height(m)"
  std::optional<CivilTime> record_time;          // 10 "Record Time", JST
  std::string sampling;                          // 11 "Sampling Freq(Hz)", as stated, e.g. "100Hz"
  std::optional<double> sampling_hz;             // its leading number, when it has one
  std::optional<StatedNumber> duration_s;        // 12 "Duration Time(s)"
  std::string direction;                         // 13 "Dir.", e.g. "N-S" or KiK-net's "4"
  std::optional<StatedNumber> max_acc_gal;       // 15 "Max. Acc. (gal)"/"Max Acc. (gal)"
};

// Reads the facts from the header lines as the reader keeps them (the
// scale line 14th), each value from column 19 on, blanks around it dropped.
// Each line's label must begin as that line's does ("Lon" for line 3, "Max"
// for 15, letters only, in any case).
HeaderFacts header_facts(const std::vector<std::string>& header);

// The value a header line states: column 19 on, blanks around it dropped.
std::string_view header_value(std::string_view line);

// The plain decimal number ("35.785", "-0.5", "84") a text is, with nothing
// else in it; none for any other text or one that overflows.
std::optional<StatedNumber> stated_number(std::string_view text);

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
