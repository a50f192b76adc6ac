// What the command line asks for: which record files, or help or version.
#pragma once

#include <string>
#include <vector>

#include "run/run.h"

namespace smproc {

struct CommandLine {
  enum class Action { run, help, version, usage_error };
  Action action = Action::run;
  RecordNames names;
  std::string error;  // one line, for a usage error
};

// No arguments: the fixed record names. One: a stem whose .ns, .ew and .ud
// files are read (an ending .ns, .ew or .ud on it is dropped first). Three:
// the NS, EW and UD files themselves.
CommandLine parse_command_line(const std::vector<std::string>& args);

// The usage text shown by --help and after a usage error.
std::string usage();

}  // namespace smproc
