// One run: the dialogue and the steps, in their fixed order.
#pragma once

#include <string>

#include "textio/console.h"
#include "textio/files.h"
#include "run/state.h"

namespace smproc {

// The three component record files, NS, EW, UD.
struct RecordNames {
  std::string ns = "tky0070410231756.ns";
  std::string ew = "tky0070410231756.ew";
  std::string ud = "tky0070410231756.ud";
  // The fixed names are created empty when missing (their first read then
  // meets the end of the file); names a user typed are reported instead.
  bool create_missing = true;
};

// Runs the whole dialogue over the console, writing the output files in
// `place`; returns the exit status. A failed read or write throws
// textio::Failure.
int run(State& s, textio::Console& con, const RecordNames& names,
        const textio::OutputPlace& place = {});

}  // namespace smproc
