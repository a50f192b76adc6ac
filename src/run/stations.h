// Finding stations: a stem with its three component record files of one
// sensor, named on the command line by the stem, by one of its files, or by
// a folder. A KiK-net stem with both sensors' files is two stations.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "records/component.h"
#include "records/series.h"
#include "run/run.h"

namespace smproc {

// A stem whose NS, EW and UD record files of one sensor all exist.
struct Station {
  std::string name;     // the stem without its folder (and _borehole or _surface for a
                        // KiK-net sensor): its output folder and summary row
  RecordNames records;  // its three files; none is created when missing
  Sensor sensor = Sensor::none;
};

// A stem with one or two of its three record files: reported, not processed.
// A file that stands where a record should but is no regular file (a pipe, a
// device, a folder, a loop of symbolic links) is never opened: it counts as
// missing, and is named.
struct IncompleteStation {
  std::string name;
  PerComponent<bool> found{};
  PerComponent<std::string> unusable;  // "FILE: why" where such a file stands
};

struct StationSearch {
  std::vector<Station> stations;              // in name order, each once
  std::vector<IncompleteStation> incomplete;  // in name order, each once
  std::vector<std::string> problems;          // "ARGUMENT: what is wrong", one line each
  std::string conflict;  // when set, two stems share a name and so an output folder
};

// The name without a record file's ending (.ns, .NS, .ud2, .EW1, ...: see
// parse_record_name); other names unchanged. A folder part is kept.
std::string drop_component_ending(const std::string& name);

// Component c's record file (0 NS, 1 EW, 2 UD) of a stem's sensor: the
// lower-case ending when that regular file exists, else the upper-case one
// when it does.
std::optional<std::string> component_file(const std::string& stem, int c,
                                          Sensor sensor = Sensor::none);

// The three files the dialogue reads for a stem's sensor: those found, and
// the lower-case names where neither exists (the run then reports them).
RecordNames dialogue_records(const std::string& stem, Sensor sensor = Sensor::none);

// The record set one name as typed stands for, for the dialogue or a run of
// one station: a file's own set (STEM.NS2: the surface sensor's); for a bare
// stem, its K-NET set when any of those files exists, else its one KiK-net
// set. A bare stem with both KiK-net sets chooses none: `ambiguity` then
// says so and names the two choices.
struct SetChoice {
  std::string stem;
  Sensor sensor = Sensor::none;
  std::string ambiguity;
  int sets = 1;  // the sets a bare stem has files of (0 to 3); 1 for a file
};
SetChoice choose_set(const std::string& name);

// The stations the arguments name. A folder is searched one level deep: its
// files, not its sub folders; a name that is both a folder and a stem with
// record files is the stem. Files without a component ending are ignored.
// A bare stem stands for each of its sets (K-NET's, each KiK-net sensor's)
// that has a file; one of its files, for that file's set.
// An archive (.tar, .tar.gz, .tgz) is read into memory: its record members
// are stations' records (named "ARCHIVE:MEMBER"), grouped by stem within
// each of its folders; what it could not give is a problem or an unusable
// component.
StationSearch find_stations(const std::vector<std::string>& args);

// "missing EW and UD", "st.ns: not a regular file": what an incomplete
// station lacks.
std::string missing_components(const IncompleteStation& s);

}  // namespace smproc
