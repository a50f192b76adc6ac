// smproc: processes three-component strong-motion acceleration records: one
// record set in the dialogue, or the stations of a whole event without it.
#include <fcntl.h>
#include <malloc.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <exception>
#include <new>
#include <string>
#include <vector>

#include "run/command_line.h"
#include "run/event.h"
#include "run/signals.h"
#include "files/temp_files.h"

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
  const CommandLine cl = parse_command_line(std::vector<std::string>(argv + 1, argv + argc));
  switch (cl.action) {
    case CommandLine::Action::help:
      return put_out(usage()) ? 0 : 2;
    case CommandLine::Action::version:
      return put_out("smproc " SMPROC_VERSION "\n") ? 0 : 2;
    case CommandLine::Action::usage_error:
      to_stderr(usage_error_text(cl.error));
      return 2;
    case CommandLine::Action::run:
      break;
  }

  CommandPlan plan = plan_command(cl);
  if (!plan.error.empty()) {
    to_stderr(plan.error);
    return 2;
  }

  // Outputs are written under temporary names; a signal that ends the
  // process removes them, so the files they replace stay as they were.
  textio::TempFiles& temporaries = textio::process_temporaries();
  if (!plan.batch) {
    SignalWatcher watcher({SIGINT, SIGTERM, SIGHUP}, [&temporaries](int signal) {
      auto hold = temporaries.remove_all();
      end_by_signal(signal);
    });
    plan.single.temporaries = &temporaries;
    return run_single(plan.single, 2);
  }
#ifdef __GLIBC__
  // A worker runs station after station: the memory one station frees is
  // kept for the next rather than handed back and faulted in again.
  mallopt(M_MMAP_THRESHOLD, 32 << 20);
  mallopt(M_TRIM_THRESHOLD, 64 << 20);
#endif
  // The first signal stops stations from starting, not those that run; a
  // second one ends the process. The same signal again within half a second
  // is the first one delivered twice (as `timeout` signals the process, then
  // its group), not a second. The watcher exists before any station's thread.
  std::atomic<int> stop{0};
  std::chrono::steady_clock::time_point first{};
  SignalWatcher watcher({SIGINT, SIGTERM, SIGHUP}, [&stop, &first, &temporaries](int signal) {
    const auto now = std::chrono::steady_clock::now();
    int stopped_by = 0;  // then the signal that stopped the run, if one had
    if (stop.compare_exchange_strong(stopped_by, signal)) {
      first = now;
      return;
    }
    if (signal == stopped_by && now - first < std::chrono::milliseconds(500)) return;
    auto hold = temporaries.remove_all();
    end_by_signal(signal);
  });
  plan.stations.defaults.temporaries = &temporaries;
  return run_event(plan, stop, 1, 2);
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
