#include "run/event.h"

#include "records/constants.h"

#include <fcntl.h>
#include <sched.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <thread>

#include "run/answers.h"

namespace smproc {

namespace fs = std::filesystem;

namespace {

// The whole content of a file, or an error text.
bool read_file(const std::string& name, std::string& text, std::string& error) {
  const int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    error = std::strerror(errno);
    return false;
  }
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      error = std::strerror(errno);
      ::close(fd);
      return false;
    }
    if (n == 0) break;
    text.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return true;
}

// The folder for outputs, created when missing; an error text, or an empty one.
std::string make_folder(const fs::path& dir) {
  std::error_code ec;
  fs::create_directories(dir, ec);
  if (ec) return "smproc: cannot create the folder " + dir.string() + ": " + ec.message() + "\n";
  return {};
}

// The cores this process may run on (as taskset or a container limits them).
int cores() {
  cpu_set_t set;
  if (sched_getaffinity(0, sizeof set, &set) == 0) return std::max(1, CPU_COUNT(&set));
  return static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

}  // namespace

CommandPlan plan_command(const CommandLine& cl) {
  CommandPlan plan;
  plan.single = cl.defaults;
  if (cl.interactive) {
    plan.single.records = cl.names;
    if (cl.out_dir) plan.single.out_dir = *cl.out_dir;
    return plan;
  }

  std::string answers;
  if (cl.answers_file) {
    std::string error;
    if (!read_file(*cl.answers_file, answers, error)) {
      plan.error = "smproc: cannot read the answers from " + *cl.answers_file + ": " + error + "\n";
      return plan;
    }
  } else {
    answers = answer_text(cl.answer_options);
  }
  plan.single.answers.text = answers;

  // One stem or file without -o: the dialogue's own record files.
  if (!cl.out_dir && cl.stations.empty()) return plan;
  std::error_code ec;
  if (!cl.out_dir && cl.stations.size() == 1 && !fs::is_directory(cl.stations[0], ec)) {
    plan.single.records = dialogue_records(drop_component_ending(cl.stations[0]));
    return plan;
  }

  plan.search = find_stations(cl.stations.empty() ? std::vector<std::string>{std::string(default_stem)}
                                                  : cl.stations);
  if (!plan.search.conflict.empty()) {
    plan.error = "smproc: " + plan.search.conflict + "\n";
    return plan;
  }
  if (plan.search.stations.empty() && plan.search.incomplete.empty()) {
    for (const std::string& p : plan.search.problems) plan.error += "smproc: " + p + "\n";
    return plan;
  }
  if (!cl.out_dir && plan.search.stations.size() == 1 && plan.search.incomplete.empty() &&
      plan.search.problems.empty()) {
    plan.single.records = plan.search.stations[0].records;
    return plan;
  }

  if (!cl.answers_file && cl.answer_options.waveform == "console.txt") {
    plan.error =
        "smproc: the waveform file cannot be named console.txt: each station's console "
        "text goes there\n";
    return plan;
  }
  plan.batch = true;
  plan.stations.defaults = cl.defaults;
  plan.stations.answers = answers;
  plan.stations.out_dir = cl.out_dir ? fs::path(*cl.out_dir) : fs::path(".");
  plan.stations.jobs = cl.jobs > 0 ? cl.jobs : cores();
  return plan;
}

int run_single(RunSetup setup, int err_fd) {
  if (!setup.out_dir.empty()) {
    if (std::string error = make_folder(setup.out_dir); !error.empty()) {
      write_all(err_fd, error);
      return 2;
    }
  }
  setup.on_warning = [err_fd](const std::string& w) {
    write_all(err_fd, "smproc: warning: " + w + "\n");
  };
  setup.summarize = false;  // only a table of stations shows it
  const RunOutcome outcome = run_record_set(setup);
  if (!outcome.report.empty()) write_all(err_fd, outcome.report);
  return outcome.status;
}

int run_event(const CommandPlan& plan, const std::atomic<int>& stop, int out_fd, int err_fd) {
  const StationSearch& search = plan.search;
  bool all_ok = search.problems.empty() && search.incomplete.empty();
  for (const std::string& p : search.problems) write_all(err_fd, "smproc: " + p + "\n");
  for (const IncompleteStation& s : search.incomplete)
    write_all(err_fd, "smproc: " + s.name + ": not processed: " + missing_components(s) + "\n");

  BatchSetup setup = plan.stations;
  setup.err_fd = err_fd;
  setup.progress = ::isatty(err_fd) == 1;
  if (std::string error = make_folder(setup.out_dir); !error.empty()) {
    write_all(err_fd, error);
    return 2;
  }
  std::vector<StationRow> rows = run_batch(search.stations, setup, stop);

  for (const StationRow& r : rows) all_ok = all_ok && r.outcome == StationRow::Outcome::ok;
  for (const IncompleteStation& s : search.incomplete) {
    StationRow r;
    r.name = s.name;
    r.outcome = StationRow::Outcome::not_run;
    r.status = "incomplete: " + missing_components(s);
    rows.push_back(std::move(r));
  }
  std::stable_sort(rows.begin(), rows.end(),
                   [](const StationRow& a, const StationRow& b) { return a.name < b.name; });

  const std::string written = write_whole_file(setup.out_dir / "summary.csv", summary_csv(rows));
  if (!written.empty()) {
    write_all(err_fd, "smproc: " + written + "\n");
    all_ok = false;
  }
  if (!write_all(out_fd, summary_table(rows))) {
    write_all(err_fd, std::string("smproc: the table not written: ") + std::strerror(errno) + "\n");
    all_ok = false;
  }
  if (const int sig = stop.load(); sig != 0) return 128 + sig;
  return all_ok ? 0 : 2;
}

}  // namespace smproc
