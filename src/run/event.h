// A command carried out: the dialogue, one station without it, or a whole
// event of stations at once with their summary.
#pragma once

#include <atomic>
#include <string>

#include "run/batch.h"
#include "run/command_line.h"
#include "run/run.h"
#include "run/stations.h"

namespace smproc {

struct CommandPlan {
  std::string error;     // when set, the lines to show: exit status 2, no file touched
  bool batch = false;    // many stations (or -o without the dialogue)
  RunSetup single;       // not batch: the one run, as the dialogue makes it
  BatchSetup stations;   // batch: how each station runs
  StationSearch search;  // batch: the stations, the incomplete ones, the arguments naming none
};

// Reads the answers file and finds the stations; changes no file. One
// station without -o runs as the dialogue does: files in the working folder,
// console text on standard output.
CommandPlan plan_command(const CommandLine& cl);

// Runs one record set as the dialogue does, into its output folder (created
// when missing); warnings and the failure report go to err_fd. Returns the
// exit status.
int run_single(RunSetup setup, int err_fd);

// Runs the planned stations (see run_batch), then writes DIR/summary.csv and
// the table on out_fd. Returns 0 when every station named succeeded, 128 plus
// the signal's number after an interrupt, and 2 otherwise.
int run_event(const CommandPlan& plan, const std::atomic<int>& stop, int out_fd, int err_fd);

}  // namespace smproc
