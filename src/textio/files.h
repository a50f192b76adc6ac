// Opening files by name, as the run's record, spectrum and waveform files.
#pragma once

#include <string>
#include <string_view>

#include "textio/text_input.h"
#include "textio/text_output.h"

namespace smproc::textio {

// The name without its trailing blanks; leading and inner blanks stay.
std::string trim_name(std::string_view name);

// Opens an existing file for reading. A missing one is created empty when
// create_missing is set (its first read then meets the end of the file), and
// reported otherwise.
Input open_for_reading(std::string_view name, int unit, bool create_missing);

// Opens a file for writing from its start without emptying it first; the
// close cuts it to what was written. A missing file is created.
Output open_for_writing(std::string_view name, int unit);

}  // namespace smproc::textio
