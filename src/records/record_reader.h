// Reading one component record file into a calibrated, mean-free series.
#pragma once

#include <string>

#include "textio/console.h"
#include "run/state.h"

namespace smproc {

// Reads the record named `name` into xr (positions 1.. in file order), sets
// s.nt to eight times the complete groups of samples, echoes the scale line
// and the count, then removes the mean of samples 1..nt and scales them by
// sf1/sf2. A missing file is created empty when create_missing is set.
void read_record(State& s, textio::Console& con, const std::string& name, Signal& xr, bool create_missing);

}  // namespace smproc
