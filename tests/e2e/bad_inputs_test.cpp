// A catalogue of bad inputs: broken records, bad answers, files that cannot
// be written. Each row runs the program in a fresh folder and checks the
// report's first two lines, the exit status, and every file afterwards.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "support/record_text.h"
#include "support/run_binary.h"

namespace smproc::testing {
namespace {

namespace fs = std::filesystem;

const std::string ns = "tky0070410231756.ns";
const std::string ew = "tky0070410231756.ew";
const std::string ud = "tky0070410231756.ud";

const std::string good_samples = "1 2 3 4 5 6 7 8\n";

// The 17-line header, then `samples` as they stand.
std::string record(const std::string& samples) { return RecordText().body(samples).text(); }

// Answers that run to the end with the defaults, writing out.csv.
const std::string plain = "0\n0\n0\n0\n0\nout.csv\n\n";

// What a file must look like after the run.
enum class After { absent, empty, unchanged, spectrum_complete, waveform_complete };

struct Case {
  const char* name;
  std::function<void(const fs::path&)> setup;  // makes the records and other files
  std::string answers;
  int status;
  std::string first;   // first line of the report
  std::string second;  // second line of the report
  std::map<std::string, After> files;
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

void write(const fs::path& dir, const std::string& name, const std::string& content) {
  std::FILE* f = std::fopen((dir / name).c_str(), "wb");
  std::fwrite(content.data(), 1, content.size(), f);
  std::fclose(f);
}

std::string read(const fs::path& p) {
  std::string s;
  std::FILE* f = std::fopen(p.c_str(), "rb");
  if (!f) return s;
  char buf[65536];
  for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) s.append(buf, n);
  std::fclose(f);
  return s;
}

std::function<void(const fs::path&)> records(const std::string& ns_text,
                                             const std::string& ew_text = record(good_samples),
                                             const std::string& ud_text = record(good_samples)) {
  return [=](const fs::path& d) {
    write(d, ns, ns_text);
    write(d, ew, ew_text);
    write(d, ud, ud_text);
  };
}

std::function<void(const fs::path&)> good_records_and(std::function<void(const fs::path&)> more) {
  return [=](const fs::path& d) {
    records(record(good_samples))(d);
    more(d);
  };
}

// Stands for an answer of 100 MB of digits, made when the case runs.
const std::string huge_answer = "<100 MB of digits>";

const std::string old_content = "an older file, longer than anything this run writes\n";

std::string binary_junk() {
  std::string s;
  for (int i = 0; i < 4096; ++i) s.push_back(static_cast<char>((i * 37 + 11) % 256));
  return s;
}

const std::string on_console = "apparent state: unit 5 (unnamed)";
const std::string on_ns = "apparent state: unit 11 named " + ns;

std::vector<Case> catalogue() {
  // Large contents are made when a case runs, not when the cases are listed
  // (every test process lists them all).
  const auto big = [] { return std::string(100 << 20, '7'); };  // a 100 MB line of digits
  const auto lazy = [](std::function<std::string()> ns_text, std::function<std::string()> others) {
    return [=](const fs::path& d) {
      write(d, ns, ns_text());
      write(d, ew, others());
      write(d, ud, others());
    };
  };
  const auto good = [] { return record(good_samples); };
  const auto long_record = [] {
    std::string samples;
    for (int i = 0; i < 33008 / 8; ++i) samples += good_samples;
    return record(samples);
  };
  std::vector<Case> c = {
      // The records.
      {"MissingRecord",
       [](const fs::path&) {},
       plain,
       2,
       "list in: end of file",
       on_ns,
       {{ns, After::empty}, {ew, After::absent}, {"amp3.csv", After::absent}}},
      {"RecordEndsInHeader",
       records("one\ntwo\nthree\n"),
       plain,
       2,
       "list in: end of file",
       on_ns,
       {{"amp3.csv", After::absent}}},
      {"RecordEndsInHeaderWithoutLineEnd",
       records("one\ntwo\nthree"),
       plain,
       2,
       "read start: end of file",
       on_ns,
       {{"amp3.csv", After::absent}}},
      {"RecordEndsOnScaleLine",
       records(RecordText().header(RecordText::scale_line - 1)),
       plain,
       2,
       "fmt: end of file",
       on_ns,
       {{"amp3.csv", After::absent}}},
      {"BadCharacterInScaleField",
       records(RecordText().scale("78x5(gal)/8223790").body(good_samples).text()),
       plain,
       2,
       "fmt: read unexpected character",
       on_ns,
       {{"amp3.csv", After::absent}}},
      {"WordAmongSamples",
       records(record("1 2 3 four 5 6 7 8\n")),
       plain,
       2,
       "invalid number: incomprehensible list input",
       on_ns,
       {}},
      {"BadRepeatCount",
       records(record("1 2 0*3 4 5 6 7 8\n")),
       plain,
       2,
       "bad repetition count: incomprehensible list input",
       on_ns,
       {}},
      {"BadExponent",
       records(record("1 2 3e 4 5 6 7 8\n")),
       plain,
       2,
       "exponent field: incomprehensible list input",
       on_ns,
       {}},
      {"SampleBeyondDoubleRange",
       records(record("1 2 3 1e400 5 6 7 8\n")),
       plain,
       2,
       "invalid number: numeric overflow",
       on_ns,
       {}},
      {"BinaryRecord",
       records(binary_junk()),
       plain,
       2,
       "fmt: read unexpected character",
       on_ns,
       {{"amp3.csv", After::absent}}},
      {"RecordIsAFolder",
       [](const fs::path& d) { fs::create_directory(d / ns); },
       plain,
       2,
       "open: Is a directory",
       on_ns,
       {{"amp3.csv", After::absent}}},
      {"HundredMegabyteHeaderLine",
       lazy(
           [=] { return RecordText().line(1, big()).body(good_samples).text(); },
           good),
       plain,
       0,
       "",
       "",
       {{"amp3.csv", After::spectrum_complete}, {"out.csv", After::waveform_complete}}},
      {"HundredMegabyteSampleLine",
       lazy([=] { return record(big() + "\n"); }, good),
       "0\n",
       2,
       "invalid number: numeric overflow",
       on_ns,
       {{"amp3.csv", After::absent}}},
      {"MoreValuesThanTheArraysHold",
       lazy(long_record, long_record),
       "0\n",
       2,
       "smproc: warning: tky0070410231756.ns: holds 33008 samples; only the first 33000 are "
       "kept, and the mean is taken over those 33000",
       "smproc: warning: tky0070410231756.ew: holds 33008 samples; only the first 33000 are "
       "kept, and the mean is taken over those 33000",
       {{"amp3.csv", After::absent}}},
      // The answers.
      {"RealForAnInteger",
       records(record(good_samples)),
       "1.0\n",
       2,
       "invalid integer: read unexpected character",
       on_console,
       {{"amp3.csv", After::absent}}},
      {"WordForAnInteger",
       records(record(good_samples)),
       "0\nyes\n",
       2,
       "invalid number: incomprehensible list input",
       on_console,
       {{"amp3.csv", After::absent}}},
      {"IntegerBeyond32Bits",
       records(record(good_samples)),
       "0\n0\n-2147483649\n",
       2,
       "invalid integer: integer overflow",
       on_console,
       {{"amp3.csv", After::absent}}},
      {"HundredMegabyteAnswer",
       records(record(good_samples)),
       huge_answer,
       2,
       "list in: line too long",
       on_console,
       {{"amp3.csv", After::absent}}},
      {"AnswerBeyondDoubleRange",
       records(record(good_samples)),
       "0\n0\n0\n1\n1e999\n",
       2,
       "invalid number: numeric overflow",
       on_console,
       {{"amp3.csv", After::spectrum_complete}}},
      {"BlankOutputName",
       records(record(good_samples)),
       "0\n0\n0\n0\n0\n" + std::string(30, ' ') + "\n\n",
       2,
       "open: null file name",
       "apparent state: unit 11 (unnamed)",
       {{"amp3.csv", After::spectrum_complete}}},
      {"OutputNameIsAFolder",
       good_records_and([](const fs::path& d) { fs::create_directory(d / "out.csv"); }),
       plain,
       2,
       "open: Is a directory",
       "apparent state: unit 11 named out.csv",
       {{"amp3.csv", After::spectrum_complete}}},
      {"OutputInAMissingFolder",
       records(record(good_samples)),
       "0\n0\n0\n0\n0\nnowhere/out.csv\n\n",
       2,
       "open: No such file or directory",
       "apparent state: unit 11 named nowhere/out.csv",
       {{"amp3.csv", After::spectrum_complete}, {"nowhere", After::absent}}},
      {"FullDiskForTheWaveform",
       records(record(good_samples)),
       "0\n0\n0\n0\n0\n/dev/full\n\n",
       2,
       "fmt: No space left on device",
       "apparent state: unit 11 named /dev/full",
       {{"amp3.csv", After::spectrum_complete}}},
      {"FullDiskForTheSpectra",
       good_records_and([](const fs::path& d) { fs::create_symlink("/dev/full", d / "amp3.csv"); }),
       plain,
       2,
       "fmt: No space left on device",
       "apparent state: unit 10 named amp3.csv",
       {{"out.csv", After::absent}}},
      {"SpectrumFileIsAFolder",
       good_records_and([](const fs::path& d) { fs::create_directory(d / "amp3.csv"); }),
       plain,
       2,
       "open: Is a directory",
       "apparent state: unit 10 named amp3.csv",
       {{"out.csv", After::absent}}},
      {"OldWaveformKeptWhenTheRunFailsEarlier",
       good_records_and([](const fs::path& d) { write(d, "out.csv", old_content); }),
       "0\n0\nx\n",
       2,
       "invalid number: incomprehensible list input",
       on_console,
       {{"out.csv", After::unchanged}, {"amp3.csv", After::absent}}},
  };
  // The end of the input at each question.
  struct Short {
    const char* name;
    std::string answers;
    After spectra;  // written once the integration question is answered
  };
  const Short cut_short[] = {
      {"EndAtPolarity", "", After::absent},
      {"EndAtComponentPolarity", "1\n1\n", After::absent},
      {"EndAtBandPass", "0\n", After::absent},
      {"EndAtCorners", "0\n1\n", After::absent},
      {"EndAtIntegration", "0\n1\n0.1 0.2 20 25\n", After::absent},
      {"EndAtCut", "0\n0\n0\n", After::spectrum_complete},
      {"EndAtStart", "0\n0\n0\n1\n", After::spectrum_complete},
      {"EndAtDuration", "0\n0\n0\n1\n0\n", After::spectrum_complete},
      {"EndAtSkip", "0\n0\n0\n0\n", After::spectrum_complete},
  };
  for (const Short& s : cut_short) {
    c.push_back({s.name,
                 records(record(good_samples)),
                 s.answers,
                 2,
                 "list in: end of file",
                 on_console,
                 {{"amp3.csv", s.spectra}}});
  }
  c.push_back({"EndAtName",
               records(record(good_samples)),
               "0\n0\n0\n0\n0\n",
               2,
               "fmt: end of file",
               on_console,
               {{"amp3.csv", After::spectrum_complete}}});
  return c;
}

class BadInput : public ::testing::TestWithParam<Case> {};

TEST_P(BadInput, EndsWithItsReportAndLeavesFilesAsDescribed) {
  const Case& c = GetParam();
  TempDir top;
  const fs::path work = top.path() / "work";
  fs::create_directory(work);
  c.setup(work);
  Outcome o =
      run_smproc(work, c.answers == huge_answer ? std::string(100 << 20, '7') + "\n" : c.answers);
  EXPECT_EQ(o.status, c.status) << o.err;
  if (c.status == 2) {
    auto nl = o.err.find('\n');
    EXPECT_EQ(o.err.substr(0, nl), c.first);
    EXPECT_EQ(o.err.substr(nl + 1, o.err.find('\n', nl + 1) - nl - 1), c.second);
  } else {
    EXPECT_EQ(o.err, "");
  }
  for (const auto& [name, after] : c.files) {
    const fs::path p = work / name;
    std::string content = read(p);
    std::size_t lines = static_cast<std::size_t>(std::count(content.begin(), content.end(), '\n'));
    switch (after) {
      case After::absent:
        EXPECT_FALSE(fs::exists(p)) << name;
        break;
      case After::empty:
        EXPECT_TRUE(fs::exists(p)) << name;
        EXPECT_EQ(content, "") << name;
        break;
      case After::unchanged:
        EXPECT_EQ(content, old_content) << name;
        break;
      case After::spectrum_complete:  // 8 samples: nf = 8, bins 2..5
        EXPECT_EQ(lines, 5u) << name;
        EXPECT_EQ(content.substr(0, 24), " frequency(Hz),NS,EW,UD\n") << name;
        break;
      case After::waveform_complete:
        EXPECT_EQ(lines, 9u) << name;
        break;
    }
  }
  // Nothing beside the working folder was touched, and no temporary file
  // stayed in it.
  EXPECT_EQ(std::distance(fs::directory_iterator(top.path()), fs::directory_iterator()), 1);
  for (const auto& e : fs::directory_iterator(work))
    EXPECT_NE(e.path().filename().string()[0], '.') << e.path().filename();
}

INSTANTIATE_TEST_SUITE_P(Catalogue, BadInput, ::testing::ValuesIn(catalogue()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(BadInputAsUser, ReadOnlySpectrumFileIsReported) {
  if (geteuid() == 0) GTEST_SKIP() << "root may write a read-only file, so nothing fails";
  TempDir dir;
  records(record(good_samples))(dir.path());
  write(dir.path(), "amp3.csv", old_content);
  chmod((dir.path() / "amp3.csv").c_str(), 0444);
  Outcome o = run_smproc(dir.path(), plain);
  EXPECT_EQ(o.status, 2);
  EXPECT_EQ(o.err.substr(0, o.err.find('\n')), "open: Permission denied");
  EXPECT_EQ(read(dir.path() / "amp3.csv"), old_content);
}

}  // namespace
}  // namespace smproc::testing
