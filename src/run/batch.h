// Many stations in one process: each its own call of the run, several at a
// time, into a folder of its own; one failure never stops the others.
#pragma once

#include <atomic>
#include <filesystem>
#include <string>
#include <vector>

#include "run/run.h"
#include "run/stations.h"
#include "run/summary.h"

namespace smproc {

struct BatchSetup {
  RunSetup defaults;              // how every station is processed
  AnswerText answers;             // the answers every station's dialogue gets, shared
  std::filesystem::path out_dir;  // station NAME's files go to out_dir/NAME/
  int jobs = 1;                   // stations processed at once
  int err_fd = 2;                 // warnings and failures, whole lines prefixed with the stem
  bool progress = false;          // a progress line on err_fd, rewritten in place
};

// Runs the stations, `jobs` at a time, each writing "amp3.csv", its waveform
// file and console.txt (the console text, then any failure report) into
// out_dir/NAME/, which is created. Once `stop` holds a signal's number no
// station starts; running ones finish. Returns one row per station, in the
// order given; only these rows are kept while the stations run.
std::vector<StationRow> run_batch(const std::vector<Station>& stations, const BatchSetup& setup,
                                  const std::atomic<int>& stop);

// Writes a file whole: a temporary file beside it, renamed over it. Returns
// an error text, or an empty one.
std::string write_whole_file(const std::filesystem::path& path, const std::string& text);

// Writes all of the text to a descriptor; false when a write fails.
bool write_all(int fd, const std::string& text);

}  // namespace smproc
