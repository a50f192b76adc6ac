// --long-records, run by the real program: records past 33000 values and
// transforms past 32768 points are taken, records within the old limits give
// the same bytes as without the option, and records past 2^24 are refused.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "support/record_text.h"
#include "support/run_binary.h"

namespace smproc::testing {
namespace {

const std::string stem = "rec";
const std::string answers = "0\n0\n0\n0\n0\nwave.csv\n\n";  // no edits, every sample written

void write_set(const TempDir& dir, const std::string& ns, const std::string& ew,
               const std::string& ud) {
  dir.write(stem + ".ns", ns);
  dir.write(stem + ".ew", ew);
  dir.write(stem + ".ud", ud);
}

void write_set(const TempDir& dir, const std::string& record) { write_set(dir, record, record, record); }

// 40000 samples (nf 65536) of a sine of 5000 counts on 100000 that runs
// exactly m cycles in the transform's 65536 points: its amplitude peaks in
// bin m + 1, amp3.csv's row m.
constexpr int long_nt = 40000;
constexpr int m = 6554;  // 10.0 Hz
const double pi = std::acos(-1.0);
long sine_count(int i) {
  return 100000 + std::lround(5000.0 * std::sin(2.0 * pi * m * (i - 1) / 65536.0));
}
std::string sine_record() { return RecordText().counts(long_nt, sine_count).text(); }

std::vector<double> fields(const std::string& line) {
  std::vector<double> out;
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = line.find(',', start);
    out.push_back(std::strtod(line.substr(start, comma - start).c_str(), nullptr));
    if (comma == std::string::npos) return out;
    start = comma + 1;
  }
}

// The data rows of a CSV file, its header left out.
std::vector<std::string> rows(const std::string& text) {
  std::vector<std::string> ls = lines_of(text);
  if (!ls.empty()) ls.erase(ls.begin());
  return ls;
}

// Where a run writes, in the dialogue (the working folder) and in the event
// mode (a folder per station under -o).
struct Form {
  const char* name;
  std::vector<std::string> args;
  std::string input;
  std::string folder;  // of amp3.csv and wave.csv, relative to the run's folder
};
const std::vector<Form> forms = {
    {"dialogue", {stem}, answers, "."},
    {"event", {"--waveform", "wave.csv", "-o", "out", stem}, "", "out/" + stem},
};

std::vector<std::string> with_option(std::vector<std::string> args) {
  args.insert(args.begin(), "--long-records");
  return args;
}

TEST(LongRecords, RecordPastTheOldLimitsIsRefusedWithoutTheOptionAndProcessedWithIt) {
  for (const Form& f : forms) {
    TempDir dir;
    write_set(dir, sine_record());
    const Outcome refused = run_smproc(dir.path(), f.input, f.args);
    EXPECT_EQ(refused.status, 2) << f.name;
    EXPECT_NE(refused.err.find("holds 40000 samples; at most 32768 can be transformed, so no file "
                               "was written"),
              std::string::npos)
        << f.name << ": " << refused.err;
    EXPECT_FALSE(dir.exists(f.folder + "/amp3.csv")) << f.name;

    const Outcome o = run_smproc(dir.path(), f.input, with_option(f.args));
    ASSERT_EQ(o.status, 0) << f.name << ": " << o.err;
    const std::string console = f.folder == "." ? o.out : dir.read(f.folder + "/console.txt");
    EXPECT_NE(console.find("  IF1,NF= 16 65536\n"), std::string::npos) << f.name;

    // One row per bin from the first above zero to Nyquist; the sine's peak
    // in its own bin in every component.
    const std::vector<std::string> amp = rows(dir.read(f.folder + "/amp3.csv"));
    ASSERT_EQ(amp.size(), 32768u) << f.name;
    for (int c = 1; c <= 3; ++c) {
      std::size_t peak = 0;
      double highest = -1;
      for (std::size_t r = 0; r < amp.size(); ++r) {
        const double a = fields(amp[r])[c];
        if (a > highest) highest = a, peak = r + 1;
      }
      EXPECT_EQ(peak, static_cast<std::size_t>(m)) << f.name << " component " << c;
    }

    // Every sample comes back, those past the old 33000 too: the sine scaled
    // by 7845/8223790 gal a count (its mean is within a count of 100000).
    const std::vector<std::string> wave = rows(dir.read(f.folder + "/wave.csv"));
    ASSERT_EQ(wave.size(), static_cast<std::size_t>(long_nt)) << f.name;
    const double gal = 7845.0 / 8223790.0;
    for (int i : {1, 20000, 33001, 36789, long_nt}) {
      const std::vector<double> v = fields(wave[i - 1]);
      EXPECT_NEAR(v[0], (i - 1) * 0.01, 1e-6) << f.name << " sample " << i;
      for (int c = 1; c <= 3; ++c)
        EXPECT_NEAR(v[c], (sine_count(i) - 100000) * gal, 2e-3) << f.name << " sample " << i;
    }
  }
}

TEST(LongRecords, RecordWithinTheOldLimitsGivesTheSameBytesWithTheOption) {
  // An ordinary record, the longest transform of old, and an NS record past
  // its 33000 values that the UD count cuts (so nothing of its tail is used).
  struct Case {
    const char* name;
    int ns, ud;
  };
  for (const Case t : {Case{"6000", 6000, 6000}, {"32768", 32768, 32768}, {"long NS", 33000, 8000}}) {
    for (const Form& f : forms) {
      const auto record = [](int n) {
        return RecordText().counts(n, [](int i) { return 100000L + (i * 7919) % 2001 - 1000; }).text();
      };
      TempDir plain, with;
      for (const TempDir* d : {&plain, &with}) write_set(*d, record(t.ns), record(t.ud), record(t.ud));
      const Outcome a = run_smproc(plain.path(), f.input, f.args);
      const Outcome b = run_smproc(with.path(), f.input, with_option(f.args));
      EXPECT_EQ(a.status, 0) << t.name << ' ' << f.name << ": " << a.err;
      EXPECT_EQ(b.status, a.status) << t.name << ' ' << f.name;
      EXPECT_EQ(b.out, a.out) << t.name << ' ' << f.name;
      EXPECT_EQ(b.err, a.err) << t.name << ' ' << f.name;
      EXPECT_EQ(file_tree(with.path()), file_tree(plain.path())) << t.name << ' ' << f.name;
    }
  }
}

TEST(LongRecords, WindowReachesAsFarAsWithoutTheOptionOrAsTheRecordAndItsTransform) {
  // 6000 samples (NS the full 33000), a window of 400 s (40001 samples): cut
  // to the fixed 33000, with the option as without it.
  const std::string window_400 = "0\n0\n0\n1\n0\n400\n0\nwave.csv\n\n";
  TempDir plain, with;
  const std::string full = RecordText().counts(33000, sine_count).text();
  const std::string ordinary = RecordText().counts(6000, sine_count).text();
  write_set(plain, full, ordinary, ordinary);
  write_set(with, full, ordinary, ordinary);
  const Outcome a = run_smproc(plain.path(), window_400, {stem});
  const Outcome b = run_smproc(with.path(), window_400, {"--long-records", stem});
  EXPECT_EQ(a.status, 0) << a.err;
  EXPECT_NE(a.err.find("the window of 40001 samples is cut to 33000 samples"), std::string::npos)
      << a.err;
  EXPECT_EQ(b.out, a.out);
  EXPECT_EQ(b.err, a.err);
  EXPECT_EQ(file_tree(with.path()), file_tree(plain.path()));

  // 40000 samples (nf 65536), a window of 700 s (70001 samples): the window
  // keeps the record and its padding, and is cut there.
  TempDir dir;
  write_set(dir, sine_record());
  const Outcome o =
      run_smproc(dir.path(), "0\n0\n0\n1\n0\n700\n0\nwave.csv\n\n", {"--long-records", stem});
  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_NE(o.err.find("the window of 70001 samples is cut to 65536 samples"), std::string::npos)
      << o.err;
  EXPECT_NE(o.out.find(" New nt = 65536\n"), std::string::npos);
  EXPECT_EQ(rows(dir.read("wave.csv")).size(), 65536u);
}

// This process's resident memory, KB.
long own_resident_kib() {
  long pages = 0, resident = 0;
  if (std::FILE* f = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(f);
  }
  return resident * (::sysconf(_SC_PAGESIZE) / 1024);
}

TEST(LongRecords, MemoryFollowsTheRecordNotTheLimit) {
#ifdef SMPROC_SANITIZED
  GTEST_SKIP() << "the sanitizers hold freed memory back";
#endif
  // About 60 bytes a sample (three series, a spectrum, the amplitudes, the
  // factors) over a few MB of program; arrays sized to the 2^24 limit would
  // hold hundreds of MB.
  int measured = 0;
  for (int n : {1 << 16, 1 << 18}) {
    const long bound_kib = 6 * 1024 + 100L * n / 1024;
    // A child's peak counts the pages it shared with this process before
    // its exec, so the bound says nothing once this process is as large.
    if (own_resident_kib() >= bound_kib) continue;
    ++measured;
    TempDir dir;
    write_set(dir, RecordText().counts(n, sine_count).text());
    const Outcome o = run_smproc(dir.path(), answers, {"--long-records", stem});
    EXPECT_EQ(o.status, 0) << n << ": " << o.err;
    EXPECT_LT(o.peak_kib, bound_kib) << n << " samples";
  }
  if (measured == 0) GTEST_SKIP() << "this test process holds " << own_resident_kib() << " KB already";
}

TEST(LongRecords, RecordPastTwoToTheTwentyFourIsRefusedEvenWithTheOption) {
  // 2^24 + 8 zeros in the UD record, eight to a line as a repeat form.
  TempDir dir;
  const std::string shorter = RecordText().counts(800, [](int i) { return 100L + i % 7; }).text();
  std::string ud = RecordText().header();
  for (int line = 0; line < (1 << 21) + 1; ++line) ud += "8*0\n";
  write_set(dir, shorter, shorter, ud);
  const Outcome o = run_smproc(dir.path(), answers, {"--long-records", stem});
  EXPECT_EQ(o.status, 2);
  ASSERT_GE(o.out.size(), 17u);
  EXPECT_EQ(o.out.substr(o.out.size() - 17), "  NT>2**24 !!!!!\n");
  EXPECT_NE(o.err.find("smproc: rec.ud holds 16777224 samples; at most 16777216 can be "
                       "transformed even with --long-records, so no file was written\n"),
            std::string::npos)
      << o.err;
  EXPECT_FALSE(dir.exists("amp3.csv"));
  EXPECT_FALSE(dir.exists("wave.csv"));
}

}  // namespace
}  // namespace smproc::testing
