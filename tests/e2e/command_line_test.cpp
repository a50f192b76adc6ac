// Naming the record files on the command line, the usage errors, and the
// bundled example jobs.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "support/record_text.h"
#include "support/run_binary.h"

namespace smproc::testing {
namespace {

namespace fs = std::filesystem;

const std::string plain_answers = "0\n0\n0\n0\n0\nout.csv\n\n";

std::string small_record(const std::string& scale) {
  return RecordText().scale(scale).counts(16, [](int i) { return long{i}; }).text();
}

// Three records told apart by their scale lines, as echoed on the console.
void write_three(const TempDir& dir, const std::string& ns, const std::string& ew,
                 const std::string& ud) {
  fs::create_directories(dir.path() / fs::path(ns).parent_path());
  dir.write(ns, small_record("1000(gal)/1"));
  dir.write(ew, small_record("2000(gal)/1"));
  dir.write(ud, small_record("3000(gal)/1"));
}

const std::string scales_in_order =
    "  1000.  1.\n\n NT and DT= 16  0.00999999978\n"
    "  2000.  1.\n\n NT and DT= 16  0.00999999978\n"
    "  3000.  1.\n\n NT and DT= 16  0.00999999978\n";

std::size_t entries(const fs::path& p) {
  return static_cast<std::size_t>(
      std::distance(fs::directory_iterator(p), fs::directory_iterator()));
}

TEST(CommandLine, NamesThreeFilesOrAStem) {
  struct Case {
    std::vector<std::string> args;
  };
  const Case cases[] = {
      {{"data/a.north", "data/b.east", "data/c.up"}},
      {{"data/st"}},
      {{"data/st.ns"}},
      {{"data/st.ud"}},
  };
  for (const Case& c : cases) {
    TempDir dir;
    if (c.args.size() == 3) {
      write_three(dir, c.args[0], c.args[1], c.args[2]);
    } else {
      write_three(dir, "data/st.ns", "data/st.ew", "data/st.ud");
    }
    Outcome o = run_smproc(dir.path(), plain_answers, c.args);
    EXPECT_EQ(o.status, 0) << c.args[0] << o.err;
    // The opening lines stay, and the records come in NS, EW, UD order.
    EXPECT_EQ(o.out.substr(0, 41 + scales_in_order.size()),
              "\n Enter input file of waveform data (NS)\n" + scales_in_order)
        << c.args[0];
    EXPECT_TRUE(dir.exists("out.csv"));
    EXPECT_TRUE(dir.exists("amp3.csv"));
  }
}

TEST(CommandLine, MissingNamedRecordIsReportedAndNotCreated) {
  TempDir dir;
  write_three(dir, "data/st.ns", "data/st.ew", "data/st.ud");
  fs::remove(dir.path() / "data/st.ud");
  Outcome o = run_smproc(dir.path(), plain_answers, {"data/st"});
  EXPECT_EQ(o.status, 2);
  EXPECT_EQ(o.err,
            "open: No such file or directory\n"
            "apparent state: unit 11 named data/st.ud\n"
            "lately reading sequential formatted external IO\n"
            "The record file data/st.ud could not be opened: No such file or directory.\n");
  EXPECT_FALSE(dir.exists("data/st.ud"));
}

TEST(CommandLine, HelpAndVersionTouchNoFile) {
  TempDir dir;
  Outcome help = run_smproc(dir.path(), "", {"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out.rfind("usage: smproc [STEM | NS EW UD]\n", 0), 0u);
  EXPECT_NE(help.out.find("example:"), std::string::npos);
  Outcome version = run_smproc(dir.path(), "", {"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "smproc " SMPROC_VERSION "\n");
  EXPECT_EQ(entries(dir.path()), 0u);
}

TEST(CommandLine, HelpAndVersionThatCannotBeWrittenEndWithStatus2) {
  for (const char* option : {"--help", "--version"}) {
    TempDir dir;
    Outcome o = run_program("/bin/sh", dir.path(), "",
                            {"-c", "exec \"$0\" \"$1\" >/dev/full", SMPROC_BIN, option});
    EXPECT_EQ(o.status, 2) << option;
    EXPECT_EQ(o.err, "smproc: standard output: No space left on device\n") << option;
  }
}

TEST(CommandLine, UsageErrorsSayWhatIsWrongAndTouchNoFile) {
  const std::vector<std::vector<std::string>> bad = {
      {"--frobnicate"}, {"-x"}, {"a", "b"}, {"a", "b", "c", "d"}};
  for (const auto& args : bad) {
    TempDir dir;
    Outcome o = run_smproc(dir.path(), plain_answers, args);
    EXPECT_EQ(o.status, 2) << args[0];
    EXPECT_EQ(o.out, "");
    ASSERT_EQ(o.err.rfind("smproc: ", 0), 0u) << o.err;
    // One line of what is wrong, one of where the help is; not the help.
    const std::string hint = "\nTry 'smproc --help' for more information.\n";
    ASSERT_GT(o.err.size(), hint.size()) << o.err;
    EXPECT_EQ(o.err.substr(o.err.size() - hint.size()), hint) << o.err;
    EXPECT_EQ(o.err.find('\n'), o.err.size() - hint.size()) << o.err;
    EXPECT_EQ(o.err.find("usage:"), std::string::npos) << o.err;
    EXPECT_EQ(entries(dir.path()), 0u) << args[0];
  }
  TempDir dir;
  EXPECT_EQ(run_smproc(dir.path(), "", {"--bogus"}).err,
            "smproc: unknown option --bogus\nTry 'smproc --help' for more information.\n");
}

// The samples of a record file, read independently of the program.
std::vector<double> counts_of(const std::string& record) {
  auto ls = lines_of(record);
  std::vector<double> v;
  for (std::size_t i = 17; i < ls.size(); ++i) {
    std::istringstream s(ls[i]);
    for (double x; s >> x;) v.push_back(x);
  }
  return v;
}

TEST(Example, JobsGiveTheirFilesFromTheBundledRecords) {
  const fs::path stem = fs::path(SMPROC_SOURCE_DIR) / "examples" / "tky0070410231756";
  struct Job {
    const char* answers;
    const char* output;
  };
  for (const Job& job : {Job{"velocity.answers", "vel.csv"}, Job{"displacement.answers", "dis.csv"},
                         Job{"spectra.answers", "acc.csv"}}) {
    TempDir dir;
    Outcome o = run_smproc(dir.path(), source_file(std::string("examples/") + job.answers),
                           {stem.string()});
    ASSERT_EQ(o.status, 0) << job.answers << o.err;
    auto wave = lines_of(dir.read(job.output));
    auto amp = lines_of(dir.read("amp3.csv"));
    EXPECT_EQ(wave.size(), 6001u) << job.answers;
    EXPECT_EQ(wave[0], " time(s),NS,EW,UD");
    EXPECT_EQ(wave[1].substr(0, 9), "   0.000,");
    EXPECT_EQ(amp.size(), 4097u);
    EXPECT_EQ(amp[0], " frequency(Hz),NS,EW,UD");
    EXPECT_EQ(amp[1].substr(0, 9), "  0.0122,");
  }
}

TEST(Example, PlainJobHoldsTheCalibratedMeanFreeCounts) {
  // Every row against the records' own counts: (count - mean) * 7845 / 8223790.
  TempDir dir;
  const fs::path stem = fs::path(SMPROC_SOURCE_DIR) / "examples" / "tky0070410231756";
  Outcome o = run_smproc(dir.path(), source_file("examples/spectra.answers"), {stem.string()});
  ASSERT_EQ(o.status, 0) << o.err;
  auto wave = lines_of(dir.read("acc.csv"));
  ASSERT_EQ(wave.size(), 6001u);
  int column = 1;
  for (const char* ext : {".ns", ".ew", ".ud"}) {
    auto counts = counts_of(source_file(std::string("examples/tky0070410231756") + ext));
    ASSERT_EQ(counts.size(), 6000u);
    double mean = 0;
    for (double c : counts) mean += c;
    mean /= 6000.0;
    for (std::size_t i = 0; i < 6000; ++i) {
      double want = (counts[i] - mean) * 7845.0 / 8223790.0;
      double got = std::atof(wave[i + 1].substr(9 + 13 * (column - 1), 12).c_str());
      ASSERT_NEAR(got, want, 0.00006) << ext << " sample " << i + 1;
    }
    ++column;
  }
}

}  // namespace
}  // namespace smproc::testing
