// The summary of a whole event: one row per station, as summary.csv and as
// an aligned table for the console.
#pragma once

#include <memory>
#include <span>
#include <string>
#include <vector>

#include "metrics/registry.h"
#include "run/run.h"

namespace smproc {

struct StationRow {
  enum class Outcome { ok, failed, not_run };
  std::string name;  // the stem without its folder
  Outcome outcome = Outcome::not_run;
  std::string status;  // "ok", "not run", "incomplete: ...", or the report's first line
  RunSummary summary;  // what the run found, as far as it got
  std::vector<std::string> warnings;
  std::shared_ptr<const IntensityMeasures> measures;  // when asked for and the run got so far
};

// Text as a terminal shows it: control characters (C0, DEL, and C1 as
// UTF-8) become "?", so header text or a stem can neither steer the
// terminal nor split a line.
std::string printable(const std::string& s);

// The status of a failed run: its report's first line, without the program's name.
std::string failure_status(const std::string& report);

// The report on one line: its lines joined by "; ", without the program's name.
std::string one_line(const std::string& report);

// summary.csv: a header row, then the rows as given: stem, status, the
// metrics' columns (their layout: measure() of no data), warnings. A station
// not run shows only stem and status. Text cells that a spreadsheet would
// take for a formula (a leading =, +, -, @, tab or CR, unless the cell is a
// plain decimal number) get a leading '; fields are quoted as CSV needs.
// With measures asked for, their columns too.
std::string summary_csv(const std::vector<StationRow>& rows,
                        std::span<const Metric> metrics = registered_metrics(),
                        const MeasureOptions* measures = nullptr);

// The same rows as a table with aligned columns: stem, each metric column
// that has a heading (consecutive columns of one heading share a cell: their
// common value, or their values joined by "/"), warnings counted, status
// last. Control characters are shown as "?".
std::string summary_table(const std::vector<StationRow>& rows,
                          std::span<const Metric> metrics = registered_metrics(),
                          const MeasureOptions* measures = nullptr);

}  // namespace smproc
