// smproc: processes one three-component strong-motion acceleration record.
#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "run/command_line.h"
#include "run/run.h"

namespace {

void to_stderr(const std::string& text) {
  std::fputs(text.c_str(), stderr);
  std::fflush(stderr);
}

}  // namespace

int main(int argc, char** argv) {
  using namespace smproc;
  // A closed console is a write failure to report, not a signal to die of.
  std::signal(SIGPIPE, SIG_IGN);

  CommandLine cl = parse_command_line(std::vector<std::string>(argv + 1, argv + argc));
  switch (cl.action) {
    case CommandLine::Action::help:
      std::fputs(usage().c_str(), stdout);
      return 0;
    case CommandLine::Action::version:
      std::fputs("smproc " SMPROC_VERSION "\n", stdout);
      return 0;
    case CommandLine::Action::usage_error:
      to_stderr("smproc: " + cl.error + "\n" + usage());
      return 2;
    case CommandLine::Action::run:
      break;
  }

  RunSetup setup;
  setup.records = cl.names;
  setup.on_warning = [](const std::string& w) { to_stderr("smproc: warning: " + w + "\n"); };
  const RunOutcome outcome = run_record_set(setup);
  if (!outcome.report.empty()) to_stderr(outcome.report);
  return outcome.status;
}
