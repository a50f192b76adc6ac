// Opening files by name, as the run's record, spectrum and waveform files:
// the one way the program opens its inputs and replaces its outputs.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "files/temp_files.h"
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

// A file that no output may replace (a protected input), known by its
// identity, so that another name for it (a hard or symbolic link) is caught
// as well.
struct ProtectedInput {
  dev_t device = 0;
  ino_t inode = 0;
  std::string description;  // for reports, e.g. "the record file tky.ns"
  std::string role = "which this run reads";  // for reports, after the description
};

// Where a run's output files go.
struct OutputPlace {
  // Relative names are opened in this folder; empty means the working folder.
  // Reports name the file as it was given, not as it was found.
  std::filesystem::path folder;
  // Lists the temporary files outputs are written to, for removal on a
  // signal; none: the process's registry (process_temporaries()).
  TempFiles* temporaries = nullptr;
  // Files this run reads, which its outputs must never replace.
  std::vector<ProtectedInput> protected_inputs{};

  // Adds the file at path, or open on fd, to the protected inputs when it is a
  // regular file (a device or pipe is read and written, never replaced).
  void protect(const std::string& path, std::string description);
  void protect(int fd, std::string description);
  // The same for an output this run wrote and must not overwrite.
  void protect_output(const std::string& path, std::string description);
};

// Opens a file for writing; what was written is in it once the Output is
// closed, normally or by a failure, and nothing of an older file stays. `what`
// names the file in reports ("waveform file").
//
// A regular file is written under a temporary name beside it, sent to the
// disk and renamed over it at close, so that until then it holds its old content
// whole, and a killed run or a power cut leaves it old or new, whole. The new file keeps the old one's permission bits. A
// symbolic link is followed: its target is replaced, the link stays. Written
// in place, from the start and cut at close, are: devices and pipes, a file
// with more than one name (every name keeps showing the new content), one whose
// owner cannot be kept, and one in a folder where no temporary file can be
// made. A missing file is created. A protected input is refused before anything is
// written to it.
Output open_for_writing(std::string_view name, int unit, const OutputPlace& place = {},
                        std::string_view what = {});

}  // namespace smproc::textio
