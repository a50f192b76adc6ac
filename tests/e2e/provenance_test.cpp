// What an event's outputs say of how they were made: the rate taken from the
// headers (or forced), each station's answers.txt, which runs its files again
// byte for byte, and the summary's columns of rate, band-pass, operation,
// quantity, unit and version, with its peaks exact.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "support/event_records.h"
#include "support/run_binary.h"

namespace smproc::testing {
namespace {

namespace fs = std::filesystem;

// summary.csv as one map of column to cell per station.
std::map<std::string, std::map<std::string, std::string>> summary_of(const std::string& csv) {
  const std::vector<std::string> rows = lines_of(csv);
  std::map<std::string, std::map<std::string, std::string>> table;
  if (rows.empty()) return table;
  const std::vector<std::string> head = fields_of(rows[0]);
  for (std::size_t r = 1; r < rows.size(); ++r) {
    const std::vector<std::string> f = fields_of(rows[r]);
    auto& row = table[f[0]];
    for (std::size_t k = 0; k < head.size() && k < f.size(); ++k) row[head[k]] = f[k];
  }
  return table;
}

// A station whose three records state these rates.
void write_rates(const fs::path& dir, const std::string& stem, int n, int seed,
                 const std::vector<std::string>& rates) {
  fs::create_directories(dir);
  const char* endings[] = {".ns", ".ew", ".ud"};
  for (int c = 0; c < 3; ++c) {
    StationFacts facts;
    facts.sampling = rates[static_cast<std::size_t>(c)];
    std::ofstream(dir / (stem + endings[c]), std::ios::binary)
        << station_record(n, seed + c, c, facts);
  }
}

// A station's folder without the summary: its files by name.
std::map<std::string, std::string> station_files(const fs::path& folder) {
  return file_tree(folder);
}

const std::vector<std::string> velocity = {"--bandpass", "0.1,0.2,20,25", "--integrate", "once",
                                           "--waveform", "vel.csv"};

std::vector<std::string> with(std::vector<std::string> args, const std::vector<std::string>& more) {
  args.insert(args.end(), more.begin(), more.end());
  return args;
}

// A 200 Hz set runs at 200 Hz by default, as --rate-from-header and --rate
// 200 run it; --rate 100 runs it as the old default did.
TEST(RateDefault, TheHeadersRateIsUsedWithoutAnOption) {
  TempDir dir;
  write_rates(dir.path() / "ev", "A", 1200, 1, {"200Hz", "200Hz", "200Hz"});
  write_rates(dir.path() / "hundred", "A", 1200, 1, {"100Hz", "100Hz", "100Hz"});
  const struct {
    std::string out;
    std::vector<std::string> extra;
    const char* source;
  } runs[] = {{"default", {}, "ev"},
              {"from_header", {"--rate-from-header"}, "ev"},
              {"forced", {"--rate", "200"}, "hundred"},
              {"as_before", {"--rate", "100"}, "ev"}};
  std::map<std::string, std::map<std::string, std::string>> files;
  for (const auto& r : runs) {
    const Outcome o =
        run_smproc(dir.path(), "", with(with(velocity, r.extra), {"-o", r.out, r.source}));
    ASSERT_EQ(o.status, 0) << r.out << o.err;
    EXPECT_EQ(o.err, "") << r.out;
    files[r.out] = station_files(dir.path() / r.out / "A");
  }
  const std::string& console = files["default"]["console.txt"];
  EXPECT_NE(console.find("NT and DT= 1200  0.00499999989\n"), std::string::npos) << console;
  EXPECT_EQ(lines_of(files["default"]["vel.csv"])[2].substr(0, 9), "   0.005,");
  for (const char* name : {"amp3.csv", "vel.csv", "console.txt"}) {
    EXPECT_EQ(files["from_header"][name], files["default"][name]) << name;
    EXPECT_EQ(files["forced"][name], files["default"][name]) << name;
    EXPECT_NE(files["as_before"][name], files["default"][name]) << name;
  }
  EXPECT_EQ(lines_of(files["as_before"]["vel.csv"])[2].substr(0, 9), "   0.010,");
}

// Headers that disagree fail their station alone, naming the three rates;
// --rate runs it.
TEST(RateDefault, HeadersThatDisagreeFailTheirStationOnly) {
  TempDir dir;
  write_rates(dir.path() / "ev", "A", 1200, 1, {"200Hz", "200Hz", "200Hz"});
  write_rates(dir.path() / "ev", "B", 1200, 4, {"100Hz", "200Hz", "200Hz"});
  const Outcome o = run_smproc(dir.path(), "", with(velocity, {"-o", "out", "ev"}));
  EXPECT_EQ(o.status, 2);
  const std::string report =
      "the headers state different sampling frequencies: ev/B.ns 100Hz, ev/B.ew 200Hz, "
      "ev/B.ud 200Hz; the sampling interval is taken from the headers only when all three "
      "agree (--rate HZ sets it for records whose headers are wrong), so no file was written";
  EXPECT_EQ(o.err, "smproc: B: " + report + "\n");
  auto summary = summary_of(read_file(dir.path() / "out/summary.csv"));
  EXPECT_EQ(summary["A"]["status"], "ok");
  EXPECT_EQ(summary["A"]["rate_hz"], "200");
  EXPECT_EQ(summary["B"]["status"], report);
  EXPECT_EQ(summary["B"]["rate_hz"], "");
  EXPECT_EQ(summary["B"]["operation"], "");  // never asked
  EXPECT_EQ(fs::exists(dir.path() / "out/B/vel.csv"), false);

  const Outcome forced = run_smproc(dir.path(), "", with(velocity, {"--rate", "200", "-o", "f", "ev"}));
  EXPECT_EQ(forced.status, 0) << forced.err;
  EXPECT_EQ(forced.err, "");
  summary = summary_of(read_file(dir.path() / "f/summary.csv"));
  EXPECT_EQ(summary["B"]["status"], "ok");
  EXPECT_EQ(summary["B"]["rate_hz"], "200");
}

// Each station's answers.txt is the answer text its run read: given back
// with --answers it makes the station's folder again, byte for byte.
TEST(StationAnswers, AnswersTxtRunsTheStationAgainByteForByte) {
  TempDir dir;
  write_station(dir.path() / "ev", "A", 2000, 1);
  StationFacts fast;
  fast.sampling = "50Hz";
  write_station(dir.path() / "ev", "B", 1500, 7, fast);
  dir.write("job.answers", "1\n1\n0\n1\n1\n0.5 1 10 12\n2\n1\n2\n5\n3\ndis.csv\n\n");
  const std::vector<std::vector<std::string>> jobs = {
      with(velocity, {"--flip", "EW", "--window", "1,8", "--skip", "1"}),
      {"--answers", "job.answers"},
  };
  for (const auto& job : jobs) {
    TempDir work;
    fs::copy(dir.path(), work.path(), fs::copy_options::recursive);
    const Outcome first = run_smproc(work.path(), "", with(job, {"-o", "first", "ev"}));
    ASSERT_EQ(first.status, 0) << first.err;
    for (const char* stem : {"A", "B"}) {
      const fs::path folder = work.path() / "first" / stem;
      const std::string answers = read_file(folder / "answers.txt");
      if (job[0] == "--answers") {
        EXPECT_EQ(answers, read_file(work.path() / "job.answers"));
      }
      ASSERT_FALSE(answers.empty()) << stem;
      const Outcome again = run_smproc(
          work.path(), "",
          {"--answers", (folder / "answers.txt").string(), "-o", "again", "ev/" + std::string(stem)});
      ASSERT_EQ(again.status, 0) << again.err;
      const auto before = station_files(folder);
      EXPECT_EQ(before.size(), 4u) << stem;  // amp3.csv, the waveform, console.txt, answers.txt
      EXPECT_EQ(station_files(work.path() / "again" / stem), before) << stem << " " << job[0];
    }
  }
}

// The summary says how each station's files were made, for every operation.
TEST(SummaryProvenance, RateBandPassOperationQuantityUnitAndVersion) {
  TempDir dir;
  StationFacts fast;
  fast.sampling = "200Hz";
  write_station(dir.path() / "ev", "A", 1200, 1, fast);
  const struct {
    std::vector<std::string> options;
    const char* bandpass;
    const char* operation;
    const char* quantity;
    const char* unit;
  } cases[] = {
      {{"--skip", "0"}, "", "none", "acceleration", "gal"},
      {{"--bandpass", "0.1,0.2,20,25", "--integrate", "once"}, "0.1 0.2 20 25", "integrate",
       "velocity", "cm/s"},
      {{"--bandpass", "0.05,1e-1,40,45.5", "--integrate", "twice"}, "0.05 0.1 40 45.5",
       "integrate twice", "displacement", "cm"},
      {{"--differentiate"}, "", "differentiate", "acceleration derivative", "gal/s"},
  };
  for (const auto& t : cases) {
    const Outcome o = run_smproc(dir.path(), "", with(t.options, {"-o", "out", "ev"}));
    ASSERT_EQ(o.status, 0) << t.operation << o.err;
    auto row = summary_of(read_file(dir.path() / "out/summary.csv"))["A"];
    EXPECT_EQ(row["rate_hz"], "200") << t.operation;
    EXPECT_EQ(row["bandpass_hz"], t.bandpass) << t.operation;
    EXPECT_EQ(row["operation"], t.operation);
    EXPECT_EQ(row["output_quantity"], t.quantity) << t.operation;
    EXPECT_EQ(row["output_unit"], t.unit) << t.operation;
    EXPECT_EQ(row["smproc_version"], SMPROC_VERSION) << t.operation;
    // The table keeps its columns: none of these is shown there.
    EXPECT_EQ(o.out.find("integrate"), std::string::npos) << o.out;
  }
}

// A peak in summary.csv is the waveform's largest value itself: with every
// value of the file written in full, the two read back to the same double.
TEST(SummaryProvenance, PeaksAreWrittenExactly) {
  TempDir dir;
  write_station(dir.path() / "ev", "A", 1600, 3);
  const Outcome o = run_smproc(dir.path(), "",
                               {"--bandpass", "0.1,0.2,20,25", "--integrate", "twice",
                                "--waveform", "vel.csv", "--full-precision", "-o", "out", "ev"});
  ASSERT_EQ(o.status, 0) << o.err;
  auto row = summary_of(read_file(dir.path() / "out/summary.csv"))["A"];
  const std::vector<std::string> rows = lines_of(read_file(dir.path() / "out/A/vel.csv"));
  const char* names[] = {"peak_ns", "peak_ew", "peak_ud"};
  for (int c = 0; c < 3; ++c) {
    double largest = 0.0;
    for (std::size_t r = 1; r < rows.size(); ++r)
      largest = std::max(largest, std::fabs(std::strtod(fields_of(rows[r])[1 + c].c_str(), nullptr)));
    const std::string& peak = row[names[c]];
    ASSERT_FALSE(peak.empty()) << names[c];
    EXPECT_EQ(std::strtod(peak.c_str(), nullptr), largest) << names[c] << " " << peak;
  }
}

}  // namespace
}  // namespace smproc::testing
