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
// file, answers.txt (the answer text it read) and console.txt (the console
// text, then any failure report) into
// out_dir/NAME/, which is replaced whole once they are written (out_dir is
// created when missing). A symbolic link or a file at out_dir/NAME, a
// station named summary.csv, or one whose records lie in its own folder
// fails that station, leaving what is there. Once `stop` holds a signal's number no
// station starts; running ones finish. Returns one row per station, in the
// order given; only these rows are kept while the stations run.
std::vector<StationRow> run_batch(const std::vector<Station>& stations, const BatchSetup& setup,
                                  const std::atomic<int>& stop);

// The summary's name in the output folder, which no station's folder may take.
inline constexpr const char* summary_name = "summary.csv";
// The event's ground-motion packet beside it, with the intensity measures.
inline constexpr const char* packet_name = "groundmotion.json";

}  // namespace smproc
