// Finding stations: a stem with its three component record files, named on
// the command line by the stem, by one of its files, or by a folder.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "records/series.h"
#include "run/run.h"

namespace smproc {

// A stem whose NS, EW and UD record files all exist.
struct Station {
  std::string name;     // the stem without its folder: its output folder and summary row
  RecordNames records;  // its three files; none is created when missing
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

// The name without a .ns, .ew, .ud, .NS, .EW or .UD ending; other names unchanged.
std::string drop_component_ending(const std::string& name);

// Component c's record file (0 NS, 1 EW, 2 UD) of a stem: the lower-case
// ending when that regular file exists, else the upper-case one when it does.
std::optional<std::string> component_file(const std::string& stem, int c);

// The three files the dialogue reads for a stem: those found, and the
// lower-case names where neither exists (the run then reports them).
RecordNames dialogue_records(const std::string& stem);

// The stations the arguments name. A folder is searched one level deep: its
// files, not its sub folders; a name that is both a folder and a stem with
// record files is the stem. Files without a component ending are ignored.
// An archive (.tar, .tar.gz, .tgz) is read into memory: its record members
// are stations' records (named "ARCHIVE:MEMBER"), grouped by stem within
// each of its folders; what it could not give is a problem or an unusable
// component.
StationSearch find_stations(const std::vector<std::string>& args);

// "missing EW and UD", "st.ns: not a regular file": what an incomplete
// station lacks.
std::string missing_components(const IncompleteStation& s);

}  // namespace smproc
