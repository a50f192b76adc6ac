#include "run/event.h"

#include "records/constants.h"

#include <fcntl.h>
#include <sched.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <ctime>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <system_error>
#include <thread>

#include "files/archive.h"
#include "files/whole_file.h"
#include "metrics/ground_motion_packet.h"
#include "metrics/registry.h"
#include "run/answers.h"

namespace smproc {

namespace fs = std::filesystem;
using textio::write_all;
using textio::write_whole_file;

namespace {

// The most an answers file may hold: far beyond any dialogue's answers, and
// small enough that every station may read it.
constexpr std::size_t answers_limit = 16 << 20;

// The whole content of a regular file of at most `limit` bytes, or an error
// text. Opened without waiting, so a pipe or device named by mistake is
// refused rather than read for ever.
bool read_file(const std::string& name, std::size_t limit, std::string& text, std::string& error) {
  const int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    error = std::strerror(errno);
    return false;
  }
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    error = "not a regular file";
    ::close(fd);
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
    if (text.size() + static_cast<std::size_t>(n) > limit) {
      error = "larger than " + std::to_string(limit >> 20) + " MiB";
      ::close(fd);
      return false;
    }
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
    if (!read_file(*cl.answers_file, answers_limit, answers, error)) {
      plan.error = "smproc: cannot read the answers from " + *cl.answers_file + ": " + error + "\n";
      return plan;
    }
    // No output may replace the file the answers came from.
    plan.single.answers.file = *cl.answers_file;
  } else {
    answers = answer_text(cl.answer_options);
  }
  // Read once; every station's run reads this one text.
  const auto shared = std::make_shared<const std::string>(std::move(answers));
  plan.single.answers.text = shared;

  // One stem or file without -o: the dialogue's own record files.
  if (!cl.out_dir && cl.stations.empty()) return plan;
  std::error_code ec;
  // An archive that is also the answers file would be read as both.
  for (const std::string& arg : cl.stations) {
    if (cl.answers_file && textio::is_archive_name(arg) &&
        fs::equivalent(arg, *cl.answers_file, ec)) {
      plan.error = "smproc: " + arg + " is both an archive of records and the answers file\n";
      return plan;
    }
  }
  // A stem with the records of several sets (both KiK-net sensors, say) is
  // a station for each, each into a folder of its own.
  if (!cl.out_dir && cl.stations.size() == 1 && !fs::is_directory(cl.stations[0], ec) &&
      !textio::is_archive_name(cl.stations[0])) {
    if (const SetChoice set = choose_set(cl.stations[0]); set.sets <= 1) {
      plan.single.records = dialogue_records(set.stem, set.sensor);
      return plan;
    }
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

  // Each station's waveform file goes into its own folder, beside its other
  // outputs: the name, as the run will use it, must stay there.
  if (const std::optional<std::string> waveform = waveform_answer(*shared)) {
    if (const std::optional<std::string> problem =
            station_waveform_problem(*waveform, cl.defaults.measures.has_value())) {
      plan.error = "smproc: the waveform file cannot be named " + *waveform +
                   (cl.answers_file ? " (the waveform line of " + *cl.answers_file + ")"
                                    : std::string()) +
                   ": " + *problem + "\n";
      return plan;
    }
  }
  plan.batch = true;
  plan.stations.defaults = cl.defaults;
  plan.stations.defaults.answers.file = plan.single.answers.file;
  plan.stations.answers = shared;
  plan.stations.out_dir = cl.out_dir ? fs::path(*cl.out_dir) : fs::path(".");
  // No more jobs than stations: each job's thread and memory would go unused.
  const std::size_t jobs = cl.jobs > 0 ? static_cast<std::size_t>(cl.jobs)
                                       : static_cast<std::size_t>(cores());
  plan.stations.jobs =
      static_cast<int>(std::max<std::size_t>(1, std::min(jobs, plan.search.stations.size())));
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

namespace {

// A number a summary cell states, or none.
std::optional<double> stated(const StationResult& r, std::string_view name) {
  if (const Column* c = find_column(r, name)) {
    if (const auto* text = std::get_if<std::string>(&c->value)) {
      char* end = nullptr;
      const double v = std::strtod(text->c_str(), &end);
      if (end != text->c_str() && *end == '\0' && std::isfinite(v)) return v;
      return std::nullopt;
    }
    if (const auto* v = std::get_if<double>(&c->value)) return *v;
  }
  return std::nullopt;
}

std::string text_of(const StationResult& r, std::string_view name) {
  if (const Column* c = find_column(r, name))
    if (const auto* text = std::get_if<std::string>(&c->value)) return *text;
  return {};
}

std::string utc_now() {
  const std::time_t now = std::time(nullptr);
  std::tm utc{};
  gmtime_r(&now, &utc);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
  return text;
}

// groundmotion.json: the event as the first station that states it, and
// every station that ran.
std::string ground_motion_packet_of(const std::vector<StationRow>& rows) {
  PacketEvent event;
  for (const StationRow& r : rows) {
    const std::string origin = text_of(r.summary, "origin_time_utc");
    if (origin.empty()) continue;
    event.time_utc = origin;
    for (const char ch : origin)
      if (std::isdigit(static_cast<unsigned char>(ch))) event.id += ch;
    event.latitude = stated(r.summary, "event_latitude");
    event.longitude = stated(r.summary, "event_longitude");
    event.depth_km = stated(r.summary, "event_depth_km");
    event.magnitude = stated(r.summary, "magnitude");
    break;
  }
  std::vector<PacketStation> stations;
  for (const StationRow& r : rows) {
    if (r.outcome == StationRow::Outcome::not_run) continue;
    stations.push_back({r.name, text_of(r.summary, "station_code"),
                        stated(r.summary, "station_latitude"), stated(r.summary, "station_longitude"),
                        stated(r.summary, "station_height_m"), text_of(r.summary, "sensor"),
                        r.measures.get()});
  }
  return ground_motion_packet(event, stations, utc_now());
}

}  // namespace

int run_event(const CommandPlan& plan, const std::atomic<int>& stop, int out_fd, int err_fd) {
  const StationSearch& search = plan.search;
  bool all_ok = search.problems.empty() && search.incomplete.empty();
  for (const std::string& p : search.problems) write_all(err_fd, "smproc: " + printable(p) + "\n");
  for (const IncompleteStation& s : search.incomplete)
    write_all(err_fd, "smproc: " + printable(s.name + ": not processed: " + missing_components(s)) + "\n");

  BatchSetup setup = plan.stations;
  setup.err_fd = err_fd;
  setup.progress = ::isatty(err_fd) == 1;
  if (std::string error = make_folder(setup.out_dir); !error.empty()) {
    write_all(err_fd, error);
    return 2;
  }
  // The old summary goes before the first station's folder is replaced, so
  // that none ever describes files that are not there. A link or another
  // file in its place is left as it is, and no summary is written.
  const fs::path summary = setup.out_dir / summary_name;
  std::string summary_refused;
  struct stat st;
  if (::lstat(summary.c_str(), &st) == 0) {
    if (S_ISLNK(st.st_mode))
      summary_refused = summary.string() + " not written: it is a symbolic link, which is not followed";
    else if (!S_ISREG(st.st_mode))
      summary_refused = summary.string() + " not written: it is not a regular file";
    else if (::unlink(summary.c_str()) != 0)
      summary_refused = summary.string() + " not written: the old one cannot be removed: " +
                        std::strerror(errno);
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

  const MeasureOptions* measures = setup.defaults.measures ? &*setup.defaults.measures : nullptr;
  const std::string written =
      !summary_refused.empty()
          ? summary_refused
          : write_whole_file(summary.string(), summary_csv(rows, registered_metrics(), measures));
  if (!written.empty()) {
    write_all(err_fd, "smproc: " + written + "\n");
    all_ok = false;
  }
  if (measures) {
    const fs::path packet = setup.out_dir / packet_name;
    if (const std::string e = write_whole_file(packet.string(), ground_motion_packet_of(rows));
        !e.empty()) {
      write_all(err_fd, "smproc: " + e + "\n");
      all_ok = false;
    }
  }
  if (!write_all(out_fd, summary_table(rows, registered_metrics(), measures))) {
    write_all(err_fd, std::string("smproc: the table not written: ") + std::strerror(errno) + "\n");
    all_ok = false;
  }
  if (const int sig = stop.load(); sig != 0) return 128 + sig;
  return all_ok ? 0 : 2;
}

}  // namespace smproc
