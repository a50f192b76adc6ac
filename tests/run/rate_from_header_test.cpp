// The sampling interval taken from the records' headers: 1/f in single
// precision, the same for all three records, or no run; 0.01 s when no
// header states a rate; --rate's whatever they state.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
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
void run(HeaderRun& r, const std::vector<std::string>& sampling_lines,
         std::optional<double> rate_hz = std::nullopt, const std::string& answers = velocity) {
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
  setup.rate_hz = rate_hz;
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

// A 100 Hz header, --rate 100 and headers without a rate all run at 0.01 s
// held in single precision: the same console and files, byte for byte.
TEST(RateFromHeaderTest, HundredHertzIsTheFixedInterval) {
  const std::string none = "Recorder          K-NET95";
  HeaderRun fixed;
  run(fixed, {none, none, none});
  ASSERT_EQ(fixed.outcome.status, 0) << fixed.outcome.report;
  EXPECT_EQ(count(fixed.console, "NT and DT= 6000  0.00999999978\n"), 3);
  for (const char* stated : {"100Hz", "100.0Hz", "100 Hz"}) {
    const std::string line = std::string("Sampling Freq(Hz) ") + stated;
    HeaderRun from_header, forced;
    run(from_header, {line, line, line});
    run(forced, {none, none, none}, 100.0);
    for (const HeaderRun* r : {&from_header, &forced}) {
      ASSERT_EQ(r->outcome.status, 0) << stated << r->outcome.report;
      EXPECT_TRUE(r->outcome.warnings.empty()) << stated << r->outcome.warnings.front();
      EXPECT_EQ(r->console, fixed.console) << stated;
      EXPECT_EQ(r->file("amp3.csv"), fixed.file("amp3.csv")) << stated;
      EXPECT_EQ(r->file("vel.csv"), fixed.file("vel.csv")) << stated;
    }
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
    run(r, {line, line, line});
    ASSERT_EQ(r.outcome.status, 0) << t.stated << r.outcome.report;
    EXPECT_EQ(count(r.console, t.echo), 3) << t.stated;
    // The rate is used, so the header's rate is no cause for a warning.
    EXPECT_TRUE(r.outcome.warnings.empty()) << r.outcome.warnings.front();
    const std::string vel = r.file("vel.csv");
    EXPECT_EQ(row(vel, 2).substr(0, 9), t.sample_2) << t.stated;
    EXPECT_EQ(row(vel, 201).substr(0, 9), t.sample_201) << t.stated;
    EXPECT_EQ(row(r.file("amp3.csv"), 1).substr(0, 9), t.first_bin) << t.stated;
  }
}

// --rate sets the interval whatever the headers state, even when they
// disagree, and without a warning of them.
TEST(RateFromHeaderTest, TheForcedRateOverridesTheHeaders) {
  const std::string hz100 = "Sampling Freq(Hz) 100Hz", hz200 = "Sampling Freq(Hz) 200Hz";
  HeaderRun at_100, at_200;
  run(at_100, {hz100, hz100, hz100});
  run(at_200, {hz200, hz200, hz200});
  struct Case {
    std::vector<std::string> lines;
    double rate_hz;
    const HeaderRun* same_as;
  };
  const std::vector<Case> cases = {
      {{hz200, hz200, hz200}, 100.0, &at_100},
      {{hz100, hz200, "Sampling Freq(Hz) fast"}, 100.0, &at_100},
      {{hz100, hz100, hz100}, 200.0, &at_200},
  };
  for (const Case& t : cases) {
    HeaderRun r;
    run(r, t.lines, t.rate_hz);
    ASSERT_EQ(r.outcome.status, 0) << t.rate_hz << r.outcome.report;
    EXPECT_TRUE(r.outcome.warnings.empty()) << r.outcome.warnings.front();
    EXPECT_EQ(r.console, t.same_as->console) << t.rate_hz;
    EXPECT_EQ(r.file("amp3.csv"), t.same_as->file("amp3.csv")) << t.rate_hz;
    EXPECT_EQ(r.file("vel.csv"), t.same_as->file("vel.csv")) << t.rate_hz;
  }
}

// Headers that state different rates, or a rate beside none, end the run
// once the three records are read, before any output, naming all three.
TEST(RateFromHeaderTest, HeadersThatDisagreeEndTheRun) {
  const std::string hz100 = "Sampling Freq(Hz) 100Hz", hz200 = "Sampling Freq(Hz) 200Hz";
  const std::string tail =
      "; the sampling interval is taken from the headers only when all three agree (--rate HZ "
      "sets it for records whose headers are wrong), so no file was written\n";
  struct Case {
    std::vector<std::string> lines;
    std::string rates;  // with R for the records' folder
  };
  const std::vector<Case> cases = {
      {{hz100, hz200, hz100}, "R/r.ns 100Hz, R/r.ew 200Hz, R/r.ud 100Hz"},
      {{hz200, hz200, hz100}, "R/r.ns 200Hz, R/r.ew 200Hz, R/r.ud 100Hz"},
      {{"Recorder          K-NET95", hz100, hz100}, "R/r.ns no rate, R/r.ew 100Hz, R/r.ud 100Hz"},
      {{hz100, "Sampling Freq(Hz) fast", hz100},
       "R/r.ns 100Hz, R/r.ew \"fast\", R/r.ud 100Hz"},
      {{"Sampling Freq(Hz) 1e-60Hz", hz100, hz100},
       "R/r.ns \"1e-60Hz\", R/r.ew 100Hz, R/r.ud 100Hz"},
  };
  for (const Case& t : cases) {
    HeaderRun r;
    run(r, t.lines);
    std::string report = "smproc: the headers state different sampling frequencies: " + t.rates + tail;
    // The search goes on past each folder put in, whose name may end in R.
    const std::string folder = r.dir.path().string();
    for (auto at = report.find("R/"); at != std::string::npos;
         at = report.find("R/", at + folder.size()))
      report.replace(at, 1, folder);
    EXPECT_EQ(r.outcome.status, 2) << t.rates;
    EXPECT_EQ(r.outcome.failure, RunFailure::refused) << t.rates;
    EXPECT_EQ(r.outcome.report, report);
    EXPECT_EQ(count(r.console, "NT and DT="), 3) << t.rates;
    EXPECT_FALSE(r.wrote("amp3.csv")) << t.rates;
    EXPECT_FALSE(r.wrote("vel.csv")) << t.rates;
  }
}

// Headers of which none states a usable rate: 0.01 s. A record whose header
// states a rate the run cannot use is named; one without the line is not.
TEST(RateFromHeaderTest, HeadersWithoutAUsableRateRunAtTheFixedInterval) {
  HeaderRun reference;
  const std::string hz100 = "Sampling Freq(Hz) 100Hz";
  run(reference, {hz100, hz100, hz100});
  struct Case {
    const char* line;
    std::string says;  // after the file's name; empty: no warning
  };
  const std::vector<Case> cases = {
      {"Recorder          K-NET95", ""},
      {"Sampling Freq(Hz) fast",
       "the header's sampling frequency \"fast\" is not a number of hertz; the record is "
       "processed at 100 Hz (0.01 s)"},
      {"Sampling Freq(Hz) 0x64Hz",
       "the header's sampling frequency \"0x64Hz\" is not a number of hertz; the record is "
       "processed at 100 Hz (0.01 s)"},
      {"Sampling Freq(Hz) infHz",
       "the header's sampling frequency \"infHz\" is not a number of hertz; the record is "
       "processed at 100 Hz (0.01 s)"},
      {"Sampling Freq(Hz) 1e-60Hz",
       "the header states a sampling frequency of 1e-60Hz; the record is processed at 100 Hz "
       "(0.01 s), so the outputs' frequencies are 1e+62 times and their times 1e-62 times the "
       "true ones"},
  };
  for (const Case& t : cases) {
    HeaderRun r;
    run(r, {t.line, t.line, t.line});
    ASSERT_EQ(r.outcome.status, 0) << t.line << r.outcome.report;
    const std::string folder = r.dir.path().string();
    std::vector<std::string> warnings;
    if (!t.says.empty())
      for (const char* file : {"/r.ns: ", "/r.ew: ", "/r.ud: "}) warnings.push_back(folder + file + t.says);
    EXPECT_EQ(r.outcome.warnings, warnings);
    EXPECT_EQ(r.console, reference.console) << t.line;
    EXPECT_EQ(r.file("vel.csv"), reference.file("vel.csv")) << t.line;
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
    run(r, {line, line, line}, std::nullopt, plain);
    ASSERT_EQ(r.outcome.status, 0) << t.stated << r.outcome.report;
    EXPECT_EQ(r.outcome.warnings, t.warnings) << t.stated;
    EXPECT_TRUE(r.wrote("w.csv")) << t.stated;
  }
}

}  // namespace
}  // namespace smproc
