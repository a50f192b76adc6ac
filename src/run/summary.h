// The summary of a whole event: one row per station, as summary.csv and as
// an aligned table for the console.
#pragma once

#include <string>
#include <vector>

#include "run/run.h"

namespace smproc {

struct StationRow {
  enum class Outcome { ok, failed, not_run };
  std::string name;  // the stem without its folder
  Outcome outcome = Outcome::not_run;
  std::string status;  // "ok", "not run", "incomplete: ...", or the report's first line
  RunSummary summary;  // what the run found, as far as it got
  std::vector<std::string> warnings;
};

// The status of a failed run: its report's first line, without the program's name.
std::string failure_status(const std::string& report);

// The report on one line: its lines joined by "; ", without the program's name.
std::string one_line(const std::string& report);

// summary.csv: a header row, then the rows as given. Peaks have four
// decimals and their times three, as the waveform file writes them.
std::string summary_csv(const std::vector<StationRow>& rows);

// The same rows as a table with aligned columns (warnings counted, status last).
std::string summary_table(const std::vector<StationRow>& rows);

}  // namespace smproc
