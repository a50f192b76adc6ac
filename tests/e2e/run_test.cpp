// The whole program, run in a fresh folder with record files and piped
// answers; console, files and exit status compared byte for byte.
#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "support/record_text.h"
#include "support/run_binary.h"

namespace smproc::testing {
namespace {

const std::string ns = "tky0070410231756.ns";
const std::string ew = "tky0070410231756.ew";
const std::string ud = "tky0070410231756.ud";

// A record of n values, eight to a line, under a 17-line header whose
// fourteenth line carries the scale factors.
std::string record(int n, const std::function<long(int)>& value,
                   const std::string& scale = "Scale Factor      7845(gal)/8223790") {
  return RecordText()
      .line(RecordText::scale_line, scale)
      .line(15, "Max. Acc. (gal)")
      .line(16, "Last Correction   2004/10/23 17:56:15")
      .counts(n, value)
      .text();
}

void write_records(const TempDir& dir, const std::string& content) {
  dir.write(ns, content);
  dir.write(ew, content);
  dir.write(ud, content);
}

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  std::size_t start = 0;
  for (std::size_t nl; (nl = text.find('\n', start)) != std::string::npos; start = nl + 1)
    out.push_back(text.substr(start, nl - start));
  if (start < text.size()) out.push_back(text.substr(start));
  return out;
}

std::string joined(const std::vector<std::string>& ls) {
  std::string s;
  for (const auto& l : ls) s += l + "\n";
  return s;
}

const std::vector<std::string> opening = {"", " Enter input file of waveform data (NS)"};

std::vector<std::string> record_echo(const std::string& scale, int nt) {
  return {scale, "", " NT and DT= " + std::to_string(nt) + "  0.00999999978"};
}

std::vector<std::string> operator+(std::vector<std::string> a, const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

long wobble(int i) { return 100000 + (i * 7919) % 2001 - 1000; }

TEST(Run, TypicalVelocityJobShowsTheWholeDialogue) {
  TempDir dir;
  write_records(dir, record(6000, wobble));
  Outcome o = run_smproc(dir.path(), "0\n1\n0.1 0.2 20 25\n1\n0\n1\nvel.csv\n\n");

  const auto echo = record_echo("  7845.  8223790.", 6000);
  const std::vector<std::string> expected =
      opening + echo + echo + echo +
      std::vector<std::string>{"",
                               "  Change +/-? (YES=1)?? :",
                               "",
                               "  IF1,NF= 13 8192",
                               "",
                               "  DUR,DOM,NOM,EOM=  81.9199982  0.0766990411 4097  314.235971",
                               "  Highest Frequency (hz)=  50.0122081",
                               "",
                               "  Band Pass Filter? (YES=1)?? :",
                               "",
                               "   TRAPEZOIDAL BAND PATH FILTER",
                               "   ENTER fL1<fL2<fH1<fH2 (Hz)",
                               "",
                               "  Integration/Differentiation:",
                               "  NO Change         :                 (Enter=0)",
                               "  Integration       : Ex.) acc -> vel (Enter=1)",
                               "  Double Integration: Ex.) acc -> dis (Enter=2)",
                               "  Differentiation:  : Ex.) Vel -> acc (Enter=3)",
                               "",
                               " Fourier Spectrum data are stored in \"amp3.csv\"",
                               "",
                               " Cutting data? (No=0,Yes=1)",
                               "",
                               " Skip Data (no=0; yes=skip number)?",
                               "",
                               " Enter output file name of waveform (csv format file)"};
  EXPECT_EQ(o.out, joined(expected));
  EXPECT_EQ(o.err, "");
  EXPECT_EQ(o.status, 0);

  auto amp = lines(dir.read("amp3.csv"));
  ASSERT_EQ(amp.size(), 4097u);
  EXPECT_EQ(amp[0], " frequency(Hz),NS,EW,UD");
  EXPECT_EQ(amp[1].substr(0, 9), "  0.0122,");
  EXPECT_EQ(amp.back().substr(0, 9), " 50.0000,");
  auto vel = lines(dir.read("vel.csv"));
  ASSERT_EQ(vel.size(), 3001u);
  EXPECT_EQ(vel[0], " time(s),NS,EW,UD");
  EXPECT_EQ(vel[1].substr(0, 9), "   0.000,");
  EXPECT_EQ(vel[2].substr(0, 9), "   0.020,");
  EXPECT_EQ(vel.back().substr(0, 9), "  59.980,");
  for (std::size_t i = 1; i < vel.size(); ++i) {
    ASSERT_EQ(vel[i].size(), 48u) << i;
    ASSERT_EQ(vel[i].back(), ',') << i;
  }
  for (std::size_t i = 1; i < amp.size(); ++i) ASSERT_EQ(amp[i].size(), 48u) << i;
}

TEST(Run, PlainAnswersGiveTheCalibratedMeanFreeSeries) {
  // 100 and 300 alternate: mean 200, and (+-100 * 250) / 1000 = +-25.
  TempDir dir;
  write_records(
      dir, record(
               16, [](int i) { return i % 2 ? 100L : 300L; }, "Scale Factor       250(gal)/1000"));
  Outcome o = run_smproc(dir.path(), "0\n0\n0\n0\n0\nacc.csv\n\n");
  ASSERT_EQ(o.status, 0) << o.err;
  const std::string minus = "    -25.0000";
  const std::string plus = "     25.0000";
  std::string expected = " time(s),NS,EW,UD\n";
  const char* times[] = {"   0.000", "   0.010", "   0.020", "   0.030", "   0.040", "   0.050",
                         "   0.060", "   0.070", "   0.080", "   0.090", "   0.100", "   0.110",
                         "   0.120", "   0.130", "   0.140", "   0.150"};
  for (int i = 0; i < 16; ++i) {
    const std::string& v = i % 2 ? plus : minus;
    expected += std::string(times[i]) + "," + v + "," + v + "," + v + ",\n";
  }
  EXPECT_EQ(dir.read("acc.csv"), expected);
  EXPECT_NE(o.out.find(joined(record_echo("  250.  1000.", 16))), std::string::npos);
}

TEST(Run, CutAndSkipDialogue) {
  TempDir dir;
  write_records(dir, record(6000, wobble));
  Outcome o = run_smproc(dir.path(), "0\n0\n0\n1\n1.0\n10.0\n4\ncut.csv\n\n");
  ASSERT_EQ(o.status, 0) << o.err;
  const std::string dialogue =
      "\n Cutting data? (No=0,Yes=1)\n"
      " Enter Starting Time (sec)\n"
      " Number of Cutting Data = 100\n"
      " Enter Duration (sec)\n"
      " Number of data = 1001\n"
      " New nt = 1001\n"
      "\n Skip Data (no=0; yes=skip number)?\n"
      "\n Enter output file name of waveform (csv format file)\n";
  EXPECT_NE(o.out.find(dialogue), std::string::npos) << o.out;
  auto rows = lines(dir.read("cut.csv"));
  ASSERT_EQ(rows.size(), 1u + 201u);  // samples 1, 6, ..., 1001
  EXPECT_EQ(rows[1].substr(0, 9), "   0.000,");
  EXPECT_EQ(rows[2].substr(0, 9), "   0.050,");
  EXPECT_EQ(rows.back().substr(0, 9), "  10.000,");
}

TEST(Run, WindowOfNegativeDurationLeavesTheHeaderOnly) {
  TempDir dir;
  write_records(dir, record(64, wobble));
  Outcome o = run_smproc(dir.path(), "0\n0\n0\n1\n0\n-1.0\n-3\nw.csv\n\n");
  ASSERT_EQ(o.status, 0) << o.err;
  EXPECT_NE(o.out.find(" Number of data = -99\n New nt = -99\n"), std::string::npos);
  EXPECT_EQ(dir.read("w.csv"), " time(s),NS,EW,UD\n");
}

TEST(Run, WindowsBeyondTheArraysAreClippedAndZeroFilled) {
  TempDir dir;
  write_records(dir, record(64, wobble));
  // 400 s from 0: 40001 samples asked, 33000 kept; all past sample 64 near zero.
  Outcome o = run_smproc(dir.path(), "0\n0\n0\n1\n0\n400\n0\nw.csv\n\n");
  ASSERT_EQ(o.status, 0) << o.err;
  EXPECT_NE(o.out.find(" Number of data = 40001\n New nt = 33000\n"), std::string::npos);
  auto rows = lines(dir.read("w.csv"));
  ASSERT_EQ(rows.size(), 33001u);
  EXPECT_EQ(rows.back(), " 329.990,      0.0000,      0.0000,      0.0000,");
  // A start far past the arrays reads zeros only; a skip of -1 writes every sample.
  Outcome far = run_smproc(dir.path(), "0\n0\n0\n1\n1e9\n0.02\n-1\nf.csv\n\n");
  ASSERT_EQ(far.status, 0) << far.err;
  EXPECT_NE(far.out.find(" Number of Cutting Data = 2147483647\n"), std::string::npos);
  EXPECT_EQ(dir.read("f.csv"),
            " time(s),NS,EW,UD\n"
            "   0.000,      0.0000,      0.0000,      0.0000,\n"
            "   0.010,      0.0000,      0.0000,      0.0000,\n"
            "   0.020,      0.0000,      0.0000,      0.0000,\n");
}

TEST(Run, LongerOldOutputFilesKeepNothingOfTheirOwn) {
  TempDir dir;
  write_records(dir, record(8, wobble));
  const std::string junk(200000, 'x');
  dir.write("amp3.csv", junk);
  dir.write("out.csv", junk);
  Outcome o = run_smproc(dir.path(), "0\n0\n0\n0\n0\nout.csv\n\n");
  ASSERT_EQ(o.status, 0) << o.err;
  EXPECT_EQ(lines(dir.read("amp3.csv")).size(), 1u + 4u);  // nf = 8: bins 2..5
  EXPECT_EQ(lines(dir.read("out.csv")).size(), 1u + 8u);
  EXPECT_EQ(dir.read("out.csv").find('x'), std::string::npos);
}

TEST(Run, RecordTooLongForTheTransformStopsCleanly) {
  TempDir dir;
  write_records(dir, record(32776, wobble));
  Outcome o = run_smproc(dir.path(), "0\n");
  EXPECT_EQ(o.status, 2);
  EXPECT_EQ(o.err,
            "smproc: tky0070410231756.ud holds 32776 samples; at most 32768 can be transformed, "
            "so no file was written\n");
  const auto echo = record_echo("  7845.  8223790.", 32776);
  EXPECT_EQ(o.out,
            joined(opening + echo + echo + echo +
                   std::vector<std::string>{"", "  Change +/-? (YES=1)?? :", "  NT>2**15 !!!!!"}));
  EXPECT_FALSE(dir.exists("amp3.csv"));
}

TEST(Run, EndOfInputAtTheFinalPauseEndsNormally) {
  TempDir dir;
  write_records(dir, record(8, wobble));
  Outcome o = run_smproc(dir.path(), "0\r\n0\r\n0\r\n0\r\n0\r\nout.csv   \r\n");
  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_TRUE(dir.exists("out.csv"));  // trailing blanks and the CR are not part of the name
}

struct FailureCase {
  const char* name;
  const char* answers;
  const char* report;
  const char* file_after;  // a file that must not exist afterwards, or ""
};

void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.name; }

class RunFailure : public ::testing::TestWithParam<FailureCase> {};

TEST_P(RunFailure, ReportsOnStandardErrorAndEndsWithStatus2) {
  const FailureCase& c = GetParam();
  TempDir dir;
  write_records(dir, record(8, wobble));
  Outcome o = run_smproc(dir.path(), c.answers);
  EXPECT_EQ(o.err, c.report);
  EXPECT_EQ(o.status, 2);
  if (*c.file_after) {
    EXPECT_FALSE(dir.exists(c.file_after));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Answers, RunFailure,
    ::testing::Values(FailureCase{"RealForAnInteger", "1.0\n",
                                  "invalid integer: read unexpected character\n"
                                  "apparent state: unit 5 (unnamed)\n"
                                  "last format: list io\n"
                                  "lately reading sequential formatted external IO\n"
                                  "The answer to \"Change +/-? (YES=1)?? :\" could not be read.\n",
                                  "amp3.csv"},
                      FailureCase{"WordForAnInteger", "0\nyes\n",
                                  "invalid number: incomprehensible list input\n"
                                  "apparent state: unit 5 (unnamed)\n"
                                  "last format: list io\n"
                                  "lately reading sequential formatted external IO\n"
                                  "The answer to \"Band Pass Filter? (YES=1)?? :\" could not "
                                  "be read.\n",
                                  "amp3.csv"},
                      FailureCase{"EndOfInput", "0\n0\n",
                                  "list in: end of file\n"
                                  "apparent state: unit 5 (unnamed)\n"
                                  "last format: list io\n"
                                  "lately reading sequential formatted external IO\n"
                                  "The input ended while the answer to \"Differentiation:  : "
                                  "Ex.) Vel -> acc (Enter=3)\" was awaited.\n",
                                  "amp3.csv"},
                      FailureCase{"EndOfInputAfterALineWithoutLineEnd", "0\n0",
                                  "read start: end of file\n"
                                  "apparent state: unit 5 (unnamed)\n"
                                  "last format: list io\n"
                                  "lately reading sequential formatted external IO\n"
                                  "The input ended while the answer to \"Differentiation:  : "
                                  "Ex.) Vel -> acc (Enter=3)\" was awaited.\n",
                                  "amp3.csv"},
                      FailureCase{"IntegerBeyond32Bits", "4294967297\n",
                                  "invalid integer: integer overflow\n"
                                  "apparent state: unit 5 (unnamed)\n"
                                  "last format: list io\n"
                                  "lately reading sequential formatted external IO\n"
                                  "The answer to \"Change +/-? (YES=1)?? :\" could not be read.\n",
                                  "amp3.csv"},
                      FailureCase{"BlankFileName",
                                  "0\n0\n0\n0\n0\n                              \n\n",
                                  "open: null file name\n"
                                  "apparent state: unit 11 (unnamed)\n"
                                  "lately writing sequential formatted external IO\n"
                                  "The name of the waveform file is blank.\n",
                                  ""},
                      FailureCase{"EndOfInputBeforeTheName", "0\n0\n0\n0\n0\n",
                                  "fmt: end of file\n"
                                  "apparent state: unit 5 (unnamed)\n"
                                  "last format: (A30)\n"
                                  "lately reading sequential formatted external IO\n"
                                  "The input ended while the answer to \"Enter output file name "
                                  "of waveform (csv format file)\" was awaited.\n",
                                  ""}),
    [](const auto& info) { return info.param.name; });

TEST(Run, MissingRecordFileIsCreatedEmptyAndReported) {
  TempDir dir;
  Outcome o = run_smproc(dir.path(), "");
  EXPECT_EQ(o.status, 2);
  EXPECT_EQ(o.out, joined(opening));
  EXPECT_EQ(o.err,
            "list in: end of file\n"
            "apparent state: unit 11 named tky0070410231756.ns\n"
            "last format: list io\n"
            "lately reading sequential formatted external IO\n"
            "The record file tky0070410231756.ns is empty.\n");
  EXPECT_TRUE(dir.exists(ns));
  EXPECT_EQ(dir.read(ns), "");
  EXPECT_FALSE(dir.exists(ew));
}

TEST(Run, FullDiskIsReportedNotHidden) {
  TempDir dir;
  write_records(dir, record(8, wobble));
  Outcome o = run_smproc(dir.path(), "0\n0\n0\n0\n0\n/dev/full\n\n");
  EXPECT_EQ(o.status, 2);
  EXPECT_EQ(o.err.substr(0, o.err.find('\n')), "fmt: No space left on device");
  EXPECT_NE(o.err.find("apparent state: unit 11 named /dev/full\n"), std::string::npos);
}

}  // namespace
}  // namespace smproc::testing
