// Reading one component record file into a calibrated, mean-free series.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "records/series.h"
#include "textio/console.h"
#include "textio/warnings.h"

namespace smproc {

// What a record told beyond its samples.
struct RecordRead {
  int nt = 0;  // eight times the complete groups of samples
  double sf1 = 0.0, sf2 = 0.0;  // scale factor numerator and denominator
  long long values = 0;  // values in complete groups, counted past the capacity too
  // Values after the eighth on sample lines, passed over, and their lines.
  long long ignored_values = 0;
  long long lines_with_ignored_values = 0;
  // The header lines as they were passed over (the scale line included),
  // each cut to a few dozen characters.
  std::vector<std::string> header;
};

// Chooses the sampling interval (s) from what a record told, once its header
// and samples are read and before they are echoed; may throw to end the run.
using IntervalChoice = std::function<double(const RecordRead&)>;

// Reads the record `name` into xr (positions 1.. in file order), echoes the
// scale line and the count with dt (or with what `choose` gives, when set),
// then removes the mean of samples 1..nt and scales them by sf1/sf2. A
// missing file is created empty when create_missing is set, and reported
// otherwise. Warns of values passed over, values past the capacity and a
// record without samples.
RecordRead read_record(textio::Console& con, textio::Warnings& warnings, const std::string& name,
                       double dt, Series& xr, bool create_missing,
                       const IntervalChoice& choose = {});

}  // namespace smproc
