// Stations run in parallel give exactly what they give one at a time; the
// progress line on a terminal.
#include "run/batch.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "support/event_records.h"
#include "support/run_binary.h"

namespace smproc {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;
using testing::file_tree;
using testing::lines_of;
using testing::read_file;

// Stations of different lengths and facts; "E03" has a UD record cut inside
// its header, "W05" states 50 Hz.
std::vector<Station> make_event(const fs::path& dir) {
  const int samples[] = {6000, 800, 4096, 1000, 2400, 32, 3000, 1600};
  std::vector<Station> stations;
  for (int k = 0; k < 8; ++k) {
    const std::string name = (k == 3 ? "E0" : k == 5 ? "W0" : "S0") + std::to_string(k);
    testing::StationFacts facts;
    facts.code = "C" + std::to_string(k);
    if (k == 5) facts.sampling = "50Hz";
    testing::write_station(dir, name, samples[k], 11 * k, facts, {".NS", ".EW", ".UD"});
    if (k == 3) fs::resize_file(dir / (name + ".UD"), 200);
    const std::string stem = (dir / name).string();
    stations.push_back({name, {stem + ".NS", stem + ".EW", stem + ".UD", false}});
  }
  std::sort(stations.begin(), stations.end(),
            [](const Station& a, const Station& b) { return a.name < b.name; });
  return stations;
}

struct Batch {
  std::vector<StationRow> rows;
  std::string err;
  std::map<std::string, std::string> files;
};

Batch run(const std::vector<Station>& stations, const fs::path& out, int jobs, int stop_signal,
          bool progress = false) {
  TempDir io;
  const fs::path err_file = io.path() / "err";
  const int fd = ::open(err_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  BatchSetup setup;
  setup.answers = "0\n1\n0.1 0.2 20 25\n1\n0\n1\nvel.csv\n\n";
  setup.out_dir = out;
  setup.jobs = jobs;
  setup.err_fd = fd;
  setup.progress = progress;
  const std::atomic<int> stop{stop_signal};
  Batch b;
  b.rows = run_batch(stations, setup, stop);
  ::close(fd);
  b.err = read_file(err_file);
  if (fs::exists(out)) b.files = file_tree(out);
  return b;
}

TEST(ParallelBatchTest, ParallelGivesWhatOneAtATimeGives) {
  TempDir t;
  const auto stations = make_event(t.path() / "event");
  const Batch serial = run(stations, t.path() / "serial", 1, 0);
  const Batch parallel = run(stations, t.path() / "parallel", 4, 0);

  EXPECT_EQ(parallel.files, serial.files);
  ASSERT_EQ(parallel.rows.size(), stations.size());
  for (std::size_t i = 0; i < stations.size(); ++i) {
    const StationRow& p = parallel.rows[i];
    const StationRow& s = serial.rows[i];
    EXPECT_EQ(p.name, stations[i].name);
    EXPECT_EQ(p.status, s.status) << p.name;
    EXPECT_EQ(p.warnings, s.warnings) << p.name;
    EXPECT_EQ(summary_csv({p}), summary_csv({s})) << p.name;
    // The broken station fails alone.
    EXPECT_EQ(p.outcome, p.name == "E03" ? StationRow::Outcome::failed : StationRow::Outcome::ok)
        << p.name << " " << p.status;
  }
  // Whole lines, in whatever order the stations ended.
  auto serial_lines = lines_of(serial.err), parallel_lines = lines_of(parallel.err);
  std::sort(serial_lines.begin(), serial_lines.end());
  std::sort(parallel_lines.begin(), parallel_lines.end());
  EXPECT_EQ(parallel_lines, serial_lines);
}

TEST(ParallelBatchTest, ProgressLineCountsStationsAndFailures) {
  TempDir t;
  auto stations = make_event(t.path() / "event");
  stations.resize(4);  // E03 fails among them
  const Batch b = run(stations, t.path() / "out", 1, 0, true);
  // Rewritten in place: each state begins at the line's start and clears
  // what was there; a station's line clears the progress line first.
  EXPECT_EQ(b.err.rfind("\rsmproc: 0/4 stations done, 0 failed, 0 s\033[K", 0), 0u) << b.err;
  EXPECT_NE(b.err.find("\r\033[Ksmproc: E03: read start: end of file;"), std::string::npos);
  EXPECT_NE(b.err.find("\rsmproc: 1/4 stations done, 1 failed, "), std::string::npos);
  EXPECT_NE(b.err.find("\rsmproc: 4/4 stations done, 1 failed, "), std::string::npos);
  EXPECT_EQ(b.err.back(), '\n');
}

}  // namespace
}  // namespace smproc
