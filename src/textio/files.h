// Opening files by name, as the run's record, spectrum and waveform files.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "textio/text_input.h"
#include "textio/text_output.h"

namespace smproc::textio {

// The name without its trailing blanks; leading and inner blanks stay.
std::string trim_name(std::string_view name);

// Opens an existing file for reading. A missing one is created empty when
// create_missing is set (its first read then meets the end of the file), and
// reported otherwise. `what` names the file in reports ("record file").
Input open_for_reading(std::string_view name, int unit, bool create_missing,
                       std::string_view what = {});

// Where a run's output files go.
struct OutputPlace {
  // Relative names are opened in this folder; empty means the working folder.
  // Reports name the file as it was given, not as it was found.
  std::filesystem::path folder;
};

// Opens a file for writing from its start without emptying it first; the
// close cuts it to what was written. A missing file is created. `what` names
// the file in reports ("waveform file").
Output open_for_writing(std::string_view name, int unit, const OutputPlace& place = {},
                        std::string_view what = {});

}  // namespace smproc::textio
