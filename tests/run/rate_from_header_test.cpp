// The sampling interval taken from the records' headers: 1/f in single
// precision, the same for all three records, or no run.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "run/run.h"
#include "support/run_binary.h"

namespace smproc {
namespace {

using testing::TempDir;

const char* const velocity = "0\n1\n0.1 0.2 20 25\n1\n0\n0\nvel.csv\n\n";

// The example record of one component with its sampling line replaced.
std::string record(const char* ending, const std::string& sampling_line) {
  std::string r = testing::source_file(std::string("examples/tky0070410231756.") + ending);
  const std::string line = "Sampling Freq(Hz) 100Hz";
  const auto at = r.find(line);
  if (at == std::string::npos) throw std::runtime_error("example record without its rate");
  return r.replace(at, line.size(), sampling_line);
}

struct HeaderRun {
  RunOutcome outcome;
  std::string console;
  TempDir dir;  // records r.ns, r.ew, r.ud; outputs in out/
  bool wrote(const std::string& name) const { return std::filesystem::exists(out() / name); }
  std::string file(const std::string& name) const { return dir.read("out/" + name); }
  std::filesystem::path out() const { return dir.path() / "out"; }
};

// Runs the velocity job on the example records, their sampling lines as given.
void run(HeaderRun& r, const std::vector<std::string>& sampling_lines, bool rate_from_header,
         const std::string& answers = velocity) {
  const char* endings[] = {"ns", "ew", "ud"};
  for (int c = 0; c < 3; ++c)
    r.dir.write(std::string("r.") + endings[c], record(endings[c], sampling_lines[c]));
  std::filesystem::create_directories(r.out());
  RunSetup setup;
  setup.records = {(r.dir.path() / "r.ns").string(), (r.dir.path() / "r.ew").string(),
                   (r.dir.path() / "r.ud").string(), false};
  setup.answers.text = answers;
  setup.console.text = &r.console;
  setup.out_dir = r.out();
  setup.rate_from_header = rate_from_header;
  r.outcome = run_record_set(setup);
}

int count(const std::string& text, const std::string& part) {
  int n = 0;
  for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

// The line of the waveform file that holds sample i (every sample written).
std::string row(const std::string& file, int i) {
  std::size_t at = 0;
  for (int k = 0; k < i; ++k) at = file.find('\n', at) + 1;
  return file.substr(at, file.find('\n', at) - at);
}

// A 100 Hz header gives the run without the option, byte for byte.
TEST(RateFromHeaderTest, HundredHertzIsTheFixedInterval) {
  for (const char* stated : {"100Hz", "100.0Hz", "100 Hz"}) {
    HeaderRun fixed, from_header;
    const std::string line = std::string("Sampling Freq(Hz) ") + stated;
    run(fixed, {line, line, line}, false);
    run(from_header, {line, line, line}, true);
    ASSERT_EQ(from_header.outcome.status, 0) << stated << from_header.outcome.report;
    EXPECT_EQ(from_header.console, fixed.console) << stated;
    EXPECT_EQ(from_header.outcome.warnings, fixed.outcome.warnings) << stated;
    EXPECT_EQ(from_header.file("amp3.csv"), fixed.file("amp3.csv")) << stated;
    EXPECT_EQ(from_header.file("vel.csv"), fixed.file("vel.csv")) << stated;
    EXPECT_EQ(count(from_header.console, "NT and DT= 6000  0.00999999978\n"), 3);
  }
}

// Another rate: its interval is echoed and counts in every time and frequency.
TEST(RateFromHeaderTest, OtherRatesSetTheInterval) {
  struct Case {
    const char* stated;
    const char* echo;        // the "NT and DT=" line
    const char* sample_2;    // the time of the second sample, F8.3
    const char* sample_201;  // and of the 201st
    const char* first_bin;   // the lowest frequency in amp3.csv, F8.4 (nf = 8192)
  };
  for (const Case& t :
       {Case{"200Hz", "NT and DT= 6000  0.00499999989\n", "   0.005,", "   1.000,", "  0.0244,"},
        Case{"50Hz", "NT and DT= 6000  0.0199999996\n", "   0.020,", "   4.000,", "  0.0061,"}}) {
    const std::string line = std::string("Sampling Freq(Hz) ") + t.stated;
    HeaderRun r;
    run(r, {line, line, line}, true);
    ASSERT_EQ(r.outcome.status, 0) << t.stated << r.outcome.report;
    EXPECT_EQ(count(r.console, t.echo), 3) << t.stated;
    // The rate is used, so the header's rate is no cause for a warning.
    EXPECT_TRUE(r.outcome.warnings.empty()) << r.outcome.warnings.front();
    const std::string vel = r.file("vel.csv");
    EXPECT_EQ(row(vel, 2).substr(0, 9), t.sample_2) << t.stated;
    EXPECT_EQ(row(vel, 201).substr(0, 9), t.sample_201) << t.stated;
    EXPECT_EQ(row(r.file("amp3.csv"), 1).substr(0, 9), t.first_bin) << t.stated;

    // Without the option the header is only warned of.
    HeaderRun fixed;
    run(fixed, {line, line, line}, false);
    EXPECT_EQ(count(fixed.console, "NT and DT= 6000  0.00999999978\n"), 3);
    ASSERT_EQ(fixed.outcome.warnings.size(), 3u);
    EXPECT_NE(
        fixed.outcome.warnings[0].find("states a sampling frequency of " + std::string(t.stated)),
        std::string::npos);
  }
}

// Headers that disagree or state no usable rate end the run before any
// output, naming the records and what they state.
TEST(RateFromHeaderTest, HeadersThatGiveNoSingleRateEndTheRun) {
  const std::string hz100 = "Sampling Freq(Hz) 100Hz", hz200 = "Sampling Freq(Hz) 200Hz";
  struct Case {
    std::vector<std::string> lines;
    int intervals_echoed;  // "NT and DT=" lines before the end
    std::string report;    // with R for the records' folder
  };
  const std::vector<Case> cases = {
      {{hz100, hz200, hz100},
       1,
       "smproc: the headers state different sampling frequencies: R/r.ns 100Hz, R/r.ew 200Hz; "
       "the sampling interval is taken from the headers only when all three agree, so no file "
       "was written\n"},
      {{hz200, hz200, "Sampling Freq(Hz) 100Hz"},
       2,
       "smproc: the headers state different sampling frequencies: R/r.ns 200Hz, R/r.ud 100Hz; "
       "the sampling interval is taken from the headers only when all three agree, so no file "
       "was written\n"},
      {{"Recorder          K-NET95", hz100, hz100},
       0,
       "smproc: R/r.ns: the header states no sampling frequency; to take the sampling interval "
       "from the headers, each record needs a line such as \"Sampling Freq(Hz) 100Hz\", so no "
       "file was written\n"},
      {{hz100, "Sampling Freq(Hz) fast", hz100},
       1,
       "smproc: R/r.ew: the header's sampling frequency \"fast\" is not a number of hertz; to "
       "take the sampling interval from the headers, each record needs a line such as "
       "\"Sampling Freq(Hz) 100Hz\", so no file was written\n"},
      {{"Sampling Freq(Hz) 0x64Hz", hz100, hz100},
       0,
       "smproc: R/r.ns: the header's sampling frequency \"0x64Hz\" is not a number of hertz; "
       "to take the sampling interval from the headers, each record needs a line such as "
       "\"Sampling Freq(Hz) 100Hz\", so no file was written\n"},
      {{"Sampling Freq(Hz) infHz", hz100, hz100},
       0,
       "smproc: R/r.ns: the header's sampling frequency \"infHz\" is not a number of hertz; "
       "to take the sampling interval from the headers, each record needs a line such as "
       "\"Sampling Freq(Hz) 100Hz\", so no file was written\n"},
      {{"Sampling Freq(Hz) 1e-60Hz", hz100, hz100},
       0,
       "smproc: R/r.ns: the header's sampling frequency 1e-60Hz gives no usable sampling "
       "interval, so no file was written\n"},
  };
  for (const Case& t : cases) {
    HeaderRun r;
    run(r, t.lines, true);
    std::string report = t.report;
    // The search goes on past each folder put in, whose name may end in R.
    const std::string folder = r.dir.path().string();
    for (auto at = report.find("R/"); at != std::string::npos;
         at = report.find("R/", at + folder.size()))
      report.replace(at, 1, folder);
    EXPECT_EQ(r.outcome.status, 2) << t.report;
    EXPECT_EQ(r.outcome.report, report);
    EXPECT_EQ(count(r.console, "NT and DT="), t.intervals_echoed) << t.report;
    EXPECT_FALSE(r.wrote("amp3.csv")) << t.report;
    EXPECT_FALSE(r.wrote("vel.csv")) << t.report;
  }
}

// Rates whose times or frequencies the fixed columns cannot hold, or show as
// zero: the run goes on, and the user is told which file and how many rows.
TEST(RateFromHeaderTest, RatesBeyondTheFixedColumnsAreWarnedOf) {
  const char* plain = "0\n0\n0\n0\n0\nw.csv\n\n";
  struct Case { const char* stated; std::vector<std::string> warnings; };
  const std::vector<Case> cases = {
      {"5000Hz",
       {"amp3.csv: frequencies up to 2500 Hz do not fit its frequency column (at most 999.9999 "
        "Hz): 2458 rows show ********",
        "w.csv: its rows lie 0.0002 s apart, below the time column's 3 decimals: 2 rows after "
        "the first show 0.000"}},
      {"0.01Hz",
       {"amp3.csv: its bins lie 1.22e-06 Hz apart, below the frequency column's 4 decimals: 40 "
        "rows show 0.0000",
        "w.csv: times up to 599900 s do not fit its time column (at most 9999.999 s): 5900 rows "
        "show ********"}},
  };
  for (const Case& t : cases) {
    const std::string line = std::string("Sampling Freq(Hz) ") + t.stated;
    HeaderRun r;
    run(r, {line, line, line}, true, plain);
    ASSERT_EQ(r.outcome.status, 0) << t.stated << r.outcome.report;
    EXPECT_EQ(r.outcome.warnings, t.warnings) << t.stated;
    EXPECT_TRUE(r.wrote("w.csv")) << t.stated;
  }
}

}  // namespace
}  // namespace smproc
