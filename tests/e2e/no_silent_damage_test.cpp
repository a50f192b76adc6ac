// Results that cannot be right end the run with status 2 and write nothing
// non-finite; doubtful inputs give one warning line each on standard error
// while standard output and the files stay as they were.
#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "support/record_text.h"
#include "support/run_binary.h"

namespace smproc::testing {
namespace {

const char* const velocity = "0\n1\n0.1 0.2 20 25\n1\n0\n0\nvel.csv\n\n";

struct Header {
  std::string sampling = "100Hz";
  std::string direction;  // none stated
  std::string scale = "Scale Factor      7845(gal)/8223790";
};

// n counts, `per_line` to a line, under a 17-line header.
std::string record(int n, const Header& h = {}, int per_line = 8, int seed = 1) {
  return RecordText()
      .line(11, "Sampling Freq(Hz) " + h.sampling)
      .line(12, "Duration Time(s)  60")
      .line(13, "Dir.              " + h.direction)
      .line(RecordText::scale_line, h.scale)
      .line(15, "Max. Acc. (gal)")
      .line(16, "Last Correction   2004/10/23 17:56:15")
      .counts(n, [seed](int i) { return long{2000 + (i * 7919 * seed) % 401 - 200}; })
      .per_line(per_line)
      .leading_blanks()
      .text();
}

void write_set(const TempDir& dir, const std::string& ns, const std::string& ew,
               const std::string& ud) {
  dir.write("r.ns", ns);
  dir.write("r.ew", ew);
  dir.write("r.ud", ud);
}

Outcome run_in(const TempDir& dir, const std::string& answers = velocity) {
  return run_smproc(dir.path(), answers, {"r"});
}

bool has_non_finite(const std::string& text) {
  for (const char* word : {"nan", "NaN", "NAN", "inf", "Inf", "INF"})
    if (text.find(word) != std::string::npos) return true;
  return false;
}

// A run with a doubtful input warns in one line and otherwise gives exactly
// what the run without the doubt gives.
TEST(Warnings, DoubtfulInputsWarnAndChangeNothingElse) {
  struct Case {
    const char* what;
    std::function<void(const TempDir&)> doubtful;
    std::function<void(const TempDir&)> plain;
    std::string warning;
  };
  const std::string r6000 = record(6000);
  const std::vector<Case> cases = {
      {"ten values a line",
       [&](const TempDir& d) {
         // Values 9 and 10 of each line are dropped: the same as eight a line.
         std::string ten = record(7500, {}, 10);
         write_set(d, ten, r6000, r6000);
       },
       [&](const TempDir& d) {
         std::string eight;
         std::istringstream in(record(7500, {}, 10));
         std::string line;
         for (int n = 0; std::getline(in, line); ++n) {
           if (n >= 17) {
             std::istringstream words(line);
             std::string w;
             line.clear();
             for (int k = 0; k < 8 && words >> w; ++k) line += " " + w;
           }
           eight += line + "\n";
         }
         write_set(d, eight, r6000, r6000);
       },
       "smproc: warning: r.ns: 1500 values after the eighth on 750 sample lines were ignored "
       "(a line ends its group of eight)\n"},
      {"sampling frequency",
       [&](const TempDir& d) {
         Header h;
         h.sampling = "fast";
         write_set(d, record(6000, h), record(6000, h), record(6000, h));
       },
       [&](const TempDir& d) { write_set(d, r6000, r6000, r6000); },
       "smproc: warning: r.ns: the header's sampling frequency \"fast\" is not a number of "
       "hertz; the record is processed at 100 Hz (0.01 s)\n"
       "smproc: warning: r.ew: the header's sampling frequency \"fast\" is not a number of "
       "hertz; the record is processed at 100 Hz (0.01 s)\n"
       "smproc: warning: r.ud: the header's sampling frequency \"fast\" is not a number of "
       "hertz; the record is processed at 100 Hz (0.01 s)\n"},
      {"direction",
       [&](const TempDir& d) { 
         Header h;
         h.direction = "E-W";
         write_set(d, record(6000, h), r6000, r6000);
       },
       [&](const TempDir& d) { write_set(d, r6000, r6000, r6000); },
       "smproc: warning: r.ns: the header states the direction E-W, but the file is read as the "
       "NS component (N-S)\n"},
  };
  for (const Case& c : cases) {
    TempDir doubtful, plain;
    c.doubtful(doubtful);
    c.plain(plain);
    Outcome d = run_in(doubtful), p = run_in(plain);
    EXPECT_EQ(d.status, 0) << c.what;
    EXPECT_EQ(d.err, c.warning) << c.what;
    EXPECT_EQ(p.err, "") << c.what;
    EXPECT_EQ(d.out, p.out) << c.what;
    EXPECT_EQ(doubtful.read("amp3.csv"), plain.read("amp3.csv")) << c.what;
    EXPECT_EQ(doubtful.read("vel.csv"), plain.read("vel.csv")) << c.what;
  }
}

TEST(Warnings, EachDoubtIsNamed) {
  struct Case {
    const char* what;
    std::string ns, ud;
    std::string answers;
    std::string warning;
  };
  const std::string r800 = record(800);
  const std::vector<Case> cases = {
      {"different counts", record(808), r800, "0\n0\n0\n0\n0\nw.csv\n\n",
       "smproc: warning: the records hold different sample counts (NS 808, EW 800, UD 800); all "
       "three are processed with the UD count, 800: a longer record is cut there, a shorter one "
       "continues with what stands past its own count (its unconverted last values, then "
       "zeros)\n"},
      {"no samples", r800, record(0), "0\n0\n0\n0\n0\nw.csv\n\n",
       "smproc: warning: r.ud: holds no samples\n"
       "smproc: warning: the records hold different sample counts (NS 800, EW 800, UD 0); all "
       "three are processed with the UD count, 0: a longer record is cut there, a shorter one "
       "continues with what stands past its own count (its unconverted last values, then "
       "zeros)\n"},
      {"corners out of order", r800, r800, "0\n1\n20 25 0.1 0.2\n0\n0\n0\nw.csv\n\n",
       "smproc: warning: band-pass corners 20 25 0.1 0.2 Hz are not in increasing order "
       "(fL1<fL2<fH1<fH2); they are used as typed, which removes every frequency: the waveforms "
       "are zero\n"},
      {"window past the record", r800, r800, "0\n0\n0\n1\n100\n10\n0\nw.csv\n\n",
       "smproc: warning: the window from 100 s for 10 s lies wholly outside the record (0 to "
       "7.99 s): samples before its start are zeros, samples past its end come from the "
       "transform's zero padding\n"},
      {"window before the record", r800, r800, "0\n0\n0\n1\n-0.5\n1\n0\nw.csv\n\n",
       "smproc: warning: the window from -0.5 s for 1 s lies partly outside the record (0 to "
       "7.99 s): samples before its start are zeros, samples past its end come from the "
       "transform's zero padding\n"},
      {"negative window", r800, r800, "0\n0\n0\n1\n0\n-1\n0\nw.csv\n\n",
       "smproc: warning: the window length -1 s is not positive: the waveform file holds no "
       "samples\n"},
      {"long name", r800, r800, "0\n0\n0\n0\n0\nwaveform_of_station_tky007_2004.csv\n\n",
       "smproc: warning: the waveform file name was cut to 30 characters: the file is called "
       "\"waveform_of_station_tky007_200\"\n"},
  };
  for (const Case& c : cases) {
    TempDir dir;
    write_set(dir, c.ns, r800, c.ud);
    Outcome o = run_in(dir, c.answers);
    EXPECT_EQ(o.status, 0) << c.what;
    EXPECT_EQ(o.err, c.warning) << c.what;
    EXPECT_EQ(o.out.find("warning"), std::string::npos) << c.what;
  }
}

// Past the capacity the mean is that of the values kept: a record of one
// constant value calibrates to zeros however long it is.
TEST(Warnings, OverLongRecordKeepsTheMeanOfWhatIsStored) {
  TempDir dir;
  std::string ns;
  {
    std::istringstream in(record(0));
    std::string line;
    while (std::getline(in, line)) ns += line + "\n";
    for (int i = 0; i < 33008 / 8; ++i) ns += " 7 7 7 7 7 7 7 7\n";
  }
  write_set(dir, ns, record(800), record(800));
  Outcome o = run_in(dir, "0\n0\n0\n0\n0\nw.csv\n\n");
  ASSERT_EQ(o.status, 0) << o.err;
  EXPECT_NE(o.err.find("smproc: warning: r.ns: holds 33008 samples; only the first 33000 are "
                       "kept, and the mean is taken over those 33000\n"),
            std::string::npos)
      << o.err;
  std::istringstream w(dir.read("w.csv"));
  std::string line;
  std::getline(w, line);
  int rows = 0;
  while (std::getline(w, line)) {
    ASSERT_EQ(line.substr(9, 12), "      0.0000") << line;
    ++rows;
  }
  EXPECT_EQ(rows, 800);
}

// The record with sample i (from 1) written as `text`.
std::string with_sample(std::string r, int i, const std::string& text) {
  std::size_t at = r.find("Memo.\n") + 6;
  for (int k = 1; k <= i; ++k) {
    at = r.find_first_not_of(" \n", at);
    const std::size_t end = r.find_first_of(" \n", at);
    if (k == i) return r.replace(at, end - at, text);
    at = end;
  }
  return r;
}

TEST(NonFinite, EndsTheRunBeforeAnyFileGetsIt) {
  struct Case {
    const char* what;
    std::string ns;
    std::string report;
    std::string ew = record(800);
    std::string ud = record(800);
  };
  Header zero_scale;
  zero_scale.scale = "Scale Factor      7845(gal)/0";
  Header no_denominator;
  no_denominator.scale = "Scale Factor      7845";
  std::string huge = record(800);
  huge.replace(huge.find(" 2", huge.find("Memo.")), 5, " 1e308");
  const std::vector<Case> cases = {
      {"zero denominator", record(800, zero_scale),
       "smproc: amp3.csv not written: r.ns has the scale factor 7845/0 on its scale line, which "
       "gives values that are not numbers\n"},
      {"missing denominator", record(800, no_denominator),
       "smproc: amp3.csv not written: r.ns has the scale factor 7845/0 on its scale line, which "
       "gives values that are not numbers\n"},
      {"huge sample", huge,
       "smproc: amp3.csv not written: r.ns holds a sample too large to scale (sample 1)\n"},
      // The components before it have been through the transforms by then.
      {"huge later sample of a later component", record(800),
       "smproc: amp3.csv not written: r.ew holds a sample too large to scale (sample 13)\n",
       with_sample(record(800), 13, "-1e306")},
      {"huge UD sample", record(800),
       "smproc: amp3.csv not written: r.ud holds a sample too large to scale (sample 800)\n",
       record(800), with_sample(record(800), 800, "1e306")},
  };
  for (const Case& c : cases) {
    TempDir dir;
    write_set(dir, c.ns, c.ew, c.ud);
    dir.write("amp3.csv", "older\n");
    Outcome o = run_in(dir);
    EXPECT_EQ(o.status, 2) << c.what;
    EXPECT_EQ(o.err, c.report) << c.what;
    EXPECT_FALSE(has_non_finite(o.out)) << c.what;
    EXPECT_EQ(dir.read("amp3.csv"), "older\n") << c.what;
    EXPECT_FALSE(dir.exists("vel.csv")) << c.what;
  }
}

TEST(LengthLimit, IsAFailureThatLeavesOlderOutputs) {
  TempDir dir;
  write_set(dir, record(800), record(800), record(32776));
  dir.write("amp3.csv", "older amp3\n");
  dir.write("vel.csv", "older vel\n");
  Outcome o = run_in(dir);
  EXPECT_EQ(o.status, 2);
  EXPECT_EQ(o.out.substr(o.out.size() - 17), "  NT>2**15 !!!!!\n");
  EXPECT_NE(o.err.find("smproc: r.ud holds 32776 samples; at most 32768 can be transformed, so "
                       "no file was written\n"),
            std::string::npos)
      << o.err;
  EXPECT_EQ(dir.read("amp3.csv"), "older amp3\n");
  EXPECT_EQ(dir.read("vel.csv"), "older vel\n");
}

}  // namespace
}  // namespace smproc::testing
