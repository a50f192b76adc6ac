#include "run/batch.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <system_error>
#include <thread>

#include "files/folder_replacement.h"
#include "files/whole_file.h"

namespace smproc {

namespace fs = std::filesystem;
using textio::write_all;

namespace {

using Clock = std::chrono::steady_clock;

// Standard error shared by the stations: each line goes out in one write, so
// lines of stations that run at once never mix; the progress line is cleared
// before a line and drawn again after it.
class ErrorLines {
 public:
  ErrorLines(int fd, bool progress, std::size_t total)
      : fd_(fd), progress_(progress), total_(total), start_(Clock::now()) {}

  // One line, printable: control characters a stem or a header brought in
  // are shown as `?`.
  void line(const std::string& text) {
    const std::string shown = printable(text);
    std::lock_guard<std::mutex> lock(mutex_);
    std::string out = progress_ ? "\r\033[K" + shown : shown;
    out += '\n';
    if (progress_) out += progress_text();
    write_all(fd_, out);
  }

  void finished(bool ok) {
    std::lock_guard<std::mutex> lock(mutex_);
    ++done_;
    if (!ok) ++failed_;
    if (progress_) write_all(fd_, progress_text());
  }

  // Draws the progress line again, for the time elapsed; ends it when `last`.
  void redraw(bool last) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (progress_) write_all(fd_, progress_text() + (last ? "\n" : ""));
  }

 private:
  // The progress line from its start, clearing what an earlier one left.
  std::string progress_text() const {
    const double elapsed = std::chrono::duration<double>(Clock::now() - start_).count();
    char text[160];
    std::snprintf(text, sizeof text, "\rsmproc: %zu/%zu stations done, %zu failed, %.0f s\033[K",
                  done_, total_, failed_, elapsed);
    return text;
  }

  std::mutex mutex_;
  const int fd_;
  const bool progress_;
  const std::size_t total_;
  const Clock::time_point start_;
  std::size_t done_ = 0, failed_ = 0;
};

std::string signal_name(int sig) {
  if (sig == SIGINT) return "SIGINT";
  if (sig == SIGTERM) return "SIGTERM";
  return "signal " + std::to_string(sig);
}

// How many worker threads may start: unlimited, unless a test sets
// SMPROC_TEST_THREAD_LIMIT to act out a system that refuses more.
std::size_t thread_limit() {
  const char* limit = std::getenv("SMPROC_TEST_THREAD_LIMIT");
  if (limit == nullptr || *limit == '\0') return static_cast<std::size_t>(-1);
  return static_cast<std::size_t>(std::strtoul(limit, nullptr, 10));
}

StationRow run_station(const Station& station, const BatchSetup& setup, ErrorLines& err,
                       Arena& memory) {
  StationRow row;
  row.name = station.name;
  row.outcome = StationRow::Outcome::failed;
  const std::string prefix = "smproc: " + station.name + ": ";
  auto refuse = [&](std::string status) {
    row.status = std::move(status);
    err.line(prefix + row.status);
    return row;
  };
  if (station.name == summary_name)
    return refuse("a station cannot be named " + std::string(summary_name) +
                  ": its folder would take the summary's name");
  // The station's folder is replaced whole: its outputs go into a fresh
  // hidden folder that takes the folder's place once they are all written.
  textio::FolderReplacement folder;
  if (std::string error = folder.begin(setup.out_dir.string(), station.name); !error.empty())
    return refuse(error);
  const std::string* records[] = {&station.records.ns, &station.records.ew, &station.records.ud};
  for (int c = 0; c < 3; ++c) {
    const std::string& archive = station.records.in_memory[c].archive;
    if (station.records.in_memory[c].text ? folder.holds(archive) : folder.holds(*records[c]))
      return refuse(folder.target() + " holds the " +
                    (station.records.in_memory[c].text ? "archive " + archive
                                                       : "record file " + *records[c]) +
                    ", which replacing the folder would remove; it is left as it is");
  }
  if (const std::string& answers = setup.defaults.answers.file;
      !answers.empty() && folder.holds(answers))
    return refuse(folder.target() + " holds the answers file " + answers +
                  ", which replacing the folder would remove; it is left as it is");

  RunSetup run = setup.defaults;
  run.records = station.records;
  run.answers.text = setup.answers;
  std::string console;
  run.console.text = &console;
  run.out_dir = folder.path();
  run.memory = &memory;  // brought in by the worker's first station
  run.on_warning = [&](const std::string& w) { err.line(prefix + "warning: " + w); };
  const RunOutcome outcome = run_record_set(run);
  row.summary = outcome.summary;
  row.warnings = outcome.warnings;
  row.measures = outcome.measures;

  // The answer text the run read, which --answers runs the station with
  // again; then the console text as the dialogue would have shown it, and
  // the report.
  std::string written;
  if (setup.answers)
    written = textio::write_whole_file(folder.path() + "/answers.txt", *setup.answers,
                                       (fs::path(folder.target()) / "answers.txt").string());
  console += outcome.report;
  if (written.empty())
    written = textio::write_whole_file(folder.path() + "/console.txt", console,
                                       (fs::path(folder.target()) / "console.txt").string());
  if (written.empty()) written = folder.commit();
  if (outcome.status != 0) {
    row.status = failure_status(outcome.report);
    err.line(prefix + one_line(outcome.report));
  } else if (!written.empty()) {
    row.status = written;
    err.line(prefix + written);
  } else {
    row.outcome = StationRow::Outcome::ok;
    row.status = "ok";
  }
  if (outcome.status != 0 && !written.empty()) err.line(prefix + written);
  return row;
}

}  // namespace

std::vector<StationRow> run_batch(const std::vector<Station>& stations, const BatchSetup& setup,
                                  const std::atomic<int>& stop) {
  const std::size_t n = stations.size();
  std::vector<StationRow> rows(n);
  for (std::size_t i = 0; i < n; ++i) {
    rows[i].name = stations[i].name;
    rows[i].status = "not run";
  }
  ErrorLines err(setup.err_fd, setup.progress, n);
  err.redraw(false);

  std::atomic<std::size_t> next{0};
  std::mutex mutex;
  std::condition_variable all_done;
  std::size_t running = 0;
  auto work = [&] {
    Arena memory;
    for (;;) {
      if (stop.load() != 0) break;
      const std::size_t i = next.fetch_add(1);
      if (i >= n) break;
      rows[i] = run_station(stations[i], setup, err, memory);
      err.finished(rows[i].outcome == StationRow::Outcome::ok);
    }
    std::lock_guard<std::mutex> lock(mutex);
    if (--running == 0) all_done.notify_one();
  };

  const std::size_t workers =
      std::min<std::size_t>(static_cast<std::size_t>(std::max(1, setup.jobs)), n);
  std::vector<std::thread> threads;
  threads.reserve(workers);
  std::string refused;  // why a thread could not start
  const std::size_t allowed = thread_limit();
  for (std::size_t k = 0; k < workers; ++k) {
    {
      std::lock_guard<std::mutex> lock(mutex);
      ++running;
    }
    try {
      if (threads.size() >= allowed) throw std::system_error(EAGAIN, std::generic_category());
      threads.emplace_back(work);
    } catch (const std::system_error& e) {
      std::lock_guard<std::mutex> lock(mutex);
      --running;
      refused = e.code().message();
      break;
    }
  }
  if (threads.size() < workers) {
    const std::size_t jobs = std::max<std::size_t>(1, threads.size());
    err.line("smproc: warning: only " + std::to_string(jobs) + " of " + std::to_string(workers) +
             " jobs could start (" + refused + "); the stations run " + std::to_string(jobs) +
             " at a time");
  }
  // Without a worker, this thread processes the stations itself.
  if (threads.empty() && n > 0) {
    running = 1;
    work();
    if (stop.load() != 0)
      err.line("smproc: interrupted by " + signal_name(stop.load()) + ": no other station started");
  }

  // Wait for the workers; meanwhile tell of an interrupt once, and keep the
  // elapsed time of the progress line current.
  bool told = false;
  {
    std::unique_lock<std::mutex> lock(mutex);
    while (!all_done.wait_for(lock, std::chrono::milliseconds(100), [&] { return running == 0; })) {
      lock.unlock();
      if (!told && stop.load() != 0) {
        told = true;
        err.line("smproc: interrupted by " + signal_name(stop.load()) +
                 ": stations that run finish, no other starts");
      }
      err.redraw(false);
      lock.lock();
    }
  }
  // A signal may come as the last station ends, between two looks.
  if (!told && !threads.empty() && stop.load() != 0)
    err.line("smproc: interrupted by " + signal_name(stop.load()) +
             ": stations that run finish, no other starts");
  for (std::thread& t : threads) t.join();
  err.redraw(true);
  return rows;
}

}  // namespace smproc
