// What the command line asks for: the dialogue over one record set, or runs
// without it over one or many stations; or help, or the version.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "run/answers.h"
#include "run/run.h"

namespace smproc {

struct CommandLine {
  enum class Action { run, help, version, usage_error };
  Action action = Action::run;
  std::string error;  // one line, for a usage error

  // The answers come from the console (the dialogue) unless --answers or an
  // answer option is given.
  bool interactive = true;
  // The dialogue's record files: the fixed names, a stem's, or three named.
  RecordNames names;
  // Without the dialogue: the arguments that name stations, as given.
  std::vector<std::string> stations;
  std::optional<std::string> answers_file;  // --answers
  AnswerOptions answer_options;             // used when answers_file is not set
  std::optional<std::string> out_dir;       // -o, --out-dir
  int jobs = 0;                             // -j, --jobs; 0: the number of cores

  // Every run of the command starts from this setup; options that change how
  // records are processed (not what is answered) set its fields.
  RunSetup defaults;
};

// Reads the arguments after the program's name. In the dialogue, no name
// means the fixed record names; one, a stem (a .ns/.ew/.ud/.NS/.EW/.UD
// ending dropped), whose files are looked for with either ending; three, the
// NS, EW and UD files themselves.
CommandLine parse_command_line(const std::vector<std::string>& args);

// The usage text shown by --help.
std::string usage();

// What a usage error shows on standard error: its one line, then where the
// help is, not the help itself.
std::string usage_error_text(const std::string& error);

}  // namespace smproc
