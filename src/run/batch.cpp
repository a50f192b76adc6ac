#include "run/batch.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <system_error>
#include <thread>

namespace smproc {

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

// Standard error shared by the stations: each line goes out in one write, so
// lines of stations that run at once never mix; the progress line is cleared
// before a line and drawn again after it.
class ErrorLines {
 public:
  ErrorLines(int fd, bool progress, std::size_t total)
      : fd_(fd), progress_(progress), total_(total), start_(Clock::now()) {}

  void line(const std::string& text) {
    std::lock_guard<std::mutex> lock(mutex_);
    std::string out = progress_ ? "\r\033[K" + text : text;
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

StationRow run_station(const Station& station, const BatchSetup& setup, ErrorLines& err,
                       Arena& memory) {
  StationRow row;
  row.name = station.name;
  row.outcome = StationRow::Outcome::failed;
  const std::string prefix = "smproc: " + station.name + ": ";
  const fs::path dir = setup.out_dir / station.name;
  std::error_code ec;
  fs::create_directories(dir, ec);
  if (ec) {
    row.status = "cannot create the folder " + dir.string() + ": " + ec.message();
    err.line(prefix + row.status);
    return row;
  }

  RunSetup run = setup.defaults;
  run.records = station.records;
  run.answers.text = setup.answers;
  std::string console;
  run.console.text = &console;
  run.out_dir = dir;
  run.memory = &memory;  // brought in by the worker's first station
  run.on_warning = [&](const std::string& w) { err.line(prefix + "warning: " + w); };
  const RunOutcome outcome = run_record_set(run);
  row.summary = outcome.summary;
  row.warnings = outcome.warnings;

  // The console text as the dialogue would have shown it, then the report.
  console += outcome.report;
  const std::string written = write_whole_file(dir / "console.txt", console);
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

bool write_all(int fd, const std::string& text) {
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

std::string write_whole_file(const fs::path& path, const std::string& text) {
  const fs::path partial = path.string() + ".partial";
  const int fd = ::open(partial.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return path.string() + " not written: " + std::strerror(errno);
  bool ok = write_all(fd, text);
  int error = ok ? 0 : errno;
  if (::close(fd) != 0 && ok) {
    ok = false;
    error = errno;
  }
  if (ok && ::rename(partial.c_str(), path.c_str()) != 0) {
    ok = false;
    error = errno;
  }
  if (!ok) {
    ::unlink(partial.c_str());
    return path.string() + " not written: " + std::strerror(error);
  }
  return {};
}

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
  running = workers;
  for (std::size_t k = 0; k < workers; ++k) threads.emplace_back(work);

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
  for (std::thread& t : threads) t.join();
  err.redraw(true);
  return rows;
}

}  // namespace smproc
