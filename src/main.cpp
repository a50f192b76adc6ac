// smproc: processes three-component strong-motion acceleration records: one
// record set in the dialogue, or the stations of a whole event without it.
#include <malloc.h>

#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "run/command_line.h"
#include "run/event.h"
#include "run/interrupt.h"

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

  const CommandLine cl = parse_command_line(std::vector<std::string>(argv + 1, argv + argc));
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

  const CommandPlan plan = plan_command(cl);
  if (!plan.error.empty()) {
    to_stderr(plan.error);
    return 2;
  }
  if (!plan.batch) return run_single(plan.single, 2);
#ifdef __GLIBC__
  // A worker runs station after station: the memory one station frees is
  // kept for the next rather than handed back and faulted in again.
  mallopt(M_MMAP_THRESHOLD, 32 << 20);
  mallopt(M_TRIM_THRESHOLD, 64 << 20);
#endif
  // Ctrl-C and SIGTERM stop the stations from starting, not those that run;
  // the watcher exists before any station's thread.
  InterruptWatcher watcher;
  return run_event(plan, watcher.stop(), 1, 2);
}
