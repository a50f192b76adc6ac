#include "run/command_line.h"

namespace smproc {

namespace {

bool ends_with(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

std::string usage() {
  return "usage: smproc [STEM | NS EW UD]\n"
         "\n"
         "Processes one three-component strong-motion record: removes the mean, scales\n"
         "counts to physical units, band-passes and integrates or differentiates in the\n"
         "frequency domain, writes \"amp3.csv\" and a waveform CSV. The questions are\n"
         "asked on the console; answers may be piped in, one per line.\n"
         "\n"
         "  (no arguments)  read tky0070410231756.ns, .ew and .ud in this folder\n"
         "  STEM            read STEM.ns, STEM.ew and STEM.ud\n"
         "  NS EW UD        read these three record files, in this order\n"
         "  --help          show this text\n"
         "  --version       show the version\n"
         "\n"
         "example:\n"
         "  smproc data/tky0070410231756 < velocity.answers\n";
}

CommandLine parse_command_line(const std::vector<std::string>& args) {
  CommandLine cl;
  std::vector<std::string> names;
  bool options_done = false;
  for (const std::string& a : args) {
    if (!options_done && a == "--") {
      options_done = true;
    } else if (!options_done && a == "--help") {
      cl.action = CommandLine::Action::help;
      return cl;
    } else if (!options_done && a == "--version") {
      cl.action = CommandLine::Action::version;
      return cl;
    } else if (!options_done && a.size() > 1 && a[0] == '-') {
      cl.action = CommandLine::Action::usage_error;
      cl.error = "unknown option " + a;
      return cl;
    } else {
      names.push_back(a);
    }
  }
  if (names.size() == 1) {
    std::string stem = names[0];
    for (const char* ending : {".ns", ".ew", ".ud"}) {
      if (ends_with(stem, ending)) {
        stem.resize(stem.size() - 3);
        break;
      }
    }
    cl.names = {stem + ".ns", stem + ".ew", stem + ".ud", false};
  } else if (names.size() == 3) {
    cl.names = {names[0], names[1], names[2], false};
  } else if (!names.empty()) {
    cl.action = CommandLine::Action::usage_error;
    cl.error =
        "expected a stem or three record files, got " + std::to_string(names.size()) + " names";
  }
  return cl;
}

}  // namespace smproc
