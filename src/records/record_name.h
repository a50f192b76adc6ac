// What a record file's name says: its stem, its component and its sensor,
// by the ending. K-NET's records end in .ns, .ew, .ud; KiK-net's in .ns1,
// .ew1, .ud1 (borehole sensor) and .ns2, .ew2, .ud2 (surface sensor); each
// ending in lower or upper case, never mixed.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "records/component.h"

namespace smproc {

struct RecordName {
  std::string stem;  // the name without its ending
  int component = 0;  // 0 NS, 1 EW, 2 UD
  Sensor sensor = Sensor::none;
  bool lower = false;  // the ending is in lower case
};

// The stem, component and sensor of a plain file name (no folder part; no
// file is looked at). Nothing when the name has none of the twelve endings,
// holds a '/', or its stem would be empty, "." or "..".
std::optional<RecordName> parse_record_name(std::string_view file);

// The ending of a sensor's component record: ".ns", ".EW", ".ud2", ".NS1".
std::string record_ending(int component, Sensor sensor, bool lower);

// The station a stem's record set is: the stem itself for a station's one
// sensor, STEM_borehole or STEM_surface for a KiK-net sensor, whether or not
// the other sensor's set is there.
std::string station_name(std::string_view stem, Sensor sensor);

}  // namespace smproc
