// smproc: processes one three-component strong-motion acceleration record.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <exception>
#include <new>
#include <string>
#include <vector>

#include "run/command_line.h"
#include "run/run.h"
#include "run/signals.h"
#include "textio/temp_files.h"

namespace {

void to_stderr(const std::string& text) {
  std::fputs(text.c_str(), stderr);
  std::fflush(stderr);
}

// A standard descriptor that was closed at start is opened on /dev/null, so
// that no file the run opens takes its number (and a report to standard
// error never lands in a result file).
void open_standard_descriptors() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    int null = ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
    if (null >= 0 && null != fd) {
      dup2(null, fd);
      ::close(null);
    }
  }
}

// Writes text to standard output; false, with a line on standard error, when
// it cannot be written.
bool put_out(const std::string& text) {
  if (std::fputs(text.c_str(), stdout) >= 0 && std::fflush(stdout) == 0) return true;
  to_stderr(std::string("smproc: standard output: ") + std::strerror(errno) + "\n");
  return false;
}

int run_process(int argc, char** argv) {
  using namespace smproc;
  CommandLine cl = parse_command_line(std::vector<std::string>(argv + 1, argv + argc));
  switch (cl.action) {
    case CommandLine::Action::help:
      return put_out(usage()) ? 0 : 2;
    case CommandLine::Action::version:
      return put_out("smproc " SMPROC_VERSION "\n") ? 0 : 2;
    case CommandLine::Action::usage_error:
      to_stderr("smproc: " + cl.error + "\n" + usage());
      return 2;
    case CommandLine::Action::run:
      break;
  }

  // Outputs are written under temporary names; a signal that ends the run
  // removes them, so the files they replace stay as they were.
  textio::TempFiles temporaries;
  SignalWatcher watcher({SIGINT, SIGTERM, SIGHUP}, [&temporaries](int signal) {
    auto hold = temporaries.remove_all();
    end_by_signal(signal);
  });

  RunSetup setup;
  setup.records = cl.names;
  setup.temporaries = &temporaries;
  setup.on_warning = [](const std::string& w) { to_stderr("smproc: warning: " + w + "\n"); };
  const RunOutcome outcome = run_record_set(setup);
  if (!outcome.report.empty()) to_stderr(outcome.report);
  return outcome.status;
}

}  // namespace

int main(int argc, char** argv) {
  open_standard_descriptors();
  // A closed console is a write failure to report, not a signal to die of;
  // so is a file that outgrows the size limit.
  std::signal(SIGPIPE, SIG_IGN);
  std::signal(SIGXFSZ, SIG_IGN);
  try {
    return run_process(argc, argv);
  } catch (const std::bad_alloc&) {
    // Nothing here may need memory.
    std::fputs("smproc: out of memory\n", stderr);
    return 2;
  } catch (const std::exception& e) {
    std::fputs("smproc: ", stderr);
    std::fputs(e.what(), stderr);
    to_stderr("\n");
    return 2;
  }
}
