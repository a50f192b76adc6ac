// No output replaces an input: a record file or the answers, under any of
// their names, are refused before anything is written to them.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "support/run_binary.h"

namespace smproc::testing {
namespace {

namespace fs = std::filesystem;

const std::string ns = "tky0070410231756.ns";
const std::string ew = "tky0070410231756.ew";
const std::string ud = "tky0070410231756.ud";

std::string record() {
  std::string r;
  for (int i = 1; i <= 13; ++i) r += "Header line " + std::to_string(i) + "\n";
  r += "Scale Factor      7845(gal)/8223790\nMax. Acc.\nLast Correction\nMemo.\n";
  return r + "1 2 3 4 5 6 7 8\n";
}

void write_records(const TempDir& dir) {
  for (const std::string& name : {ns, ew, ud}) dir.write(name, record());
}

// Answers up to the waveform file's name, which the cases add.
const std::string to_the_name = "0\n0\n0\n0\n0\n";

std::size_t lines_in(const std::string& text) {
  return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

// What a complete spectrum file of these 8-sample records looks like.
bool complete_spectrum(const std::string& text) {
  return text.rfind(" frequency(Hz),NS,EW,UD\n", 0) == 0 && lines_in(text) == 5;
}

struct SameFile {
  const char* name;
  std::function<void(const fs::path&)> setup;  // makes the other name
  std::string output;                          // the typed waveform file name
  bool answers_from_file;                      // standard input is work/answers.txt
  std::string plain;                           // the report's last line
  std::string kept;                            // a file that must stay as it was
};

TEST(InputsAreNeverOutputs, AnOutputThatIsAnInputIsRefusedBeforeItIsWritten) {
  const std::string untouched = ", which this run reads; it was left untouched.";
  const SameFile cases[] = {
      {"a record by its own name", [](const fs::path&) {}, ns, false,
       "The waveform file " + ns + " is the same file as the record file " + ns + untouched, ns},
      {"a record through a hard link",
       [](const fs::path& d) { fs::create_hard_link(d / ud, d / "ud.csv"); }, "ud.csv", false,
       "The waveform file ud.csv is the same file as the record file " + ud + untouched, ud},
      {"a record through a symbolic link",
       [](const fs::path& d) { fs::create_symlink(ew, d / "ew.csv"); }, "ew.csv", false,
       "The waveform file ew.csv is the same file as the record file " + ew + untouched, ew},
      {"the answers", [](const fs::path&) {}, "answers.txt", true,
       "The waveform file answers.txt is the same file as standard input" + untouched,
       "answers.txt"},
  };
  for (const SameFile& c : cases) {
    TempDir dir;
    write_records(dir);
    c.setup(dir.path());
    const std::string answers = to_the_name + c.output + "\n\n";
    dir.write("answers.txt", answers);
    const std::string before = dir.read(c.kept);
    Start start;
    if (c.answers_from_file) start.stdin_path = (dir.path() / "answers.txt").string();
    Outcome o = run_program(SMPROC_BIN, dir.path(), answers, {}, start);
    EXPECT_EQ(o.status, 2) << c.name;
    EXPECT_EQ(o.err,
              "open: would replace an input file\n"
              "apparent state: unit 11 named " + c.output + "\n"
              "lately writing sequential formatted external IO\n" + c.plain + "\n")
        << c.name;
    EXPECT_EQ(dir.read(c.kept), before) << c.name;
    EXPECT_TRUE(complete_spectrum(dir.read("amp3.csv"))) << c.name;
  }
  // The spectrum file too, when the answers come from a file of that name.
  TempDir dir;
  write_records(dir);
  dir.write("amp3.csv", to_the_name + "out.csv\n\n");
  Start start;
  start.stdin_path = (dir.path() / "amp3.csv").string();
  Outcome o = run_program(SMPROC_BIN, dir.path(), "", {}, start);
  EXPECT_EQ(o.status, 2);
  EXPECT_EQ(o.err.substr(0, o.err.find('\n')), "open: would replace an input file");
  EXPECT_EQ(dir.read("amp3.csv"), to_the_name + "out.csv\n\n");
}

}  // namespace
}  // namespace smproc::testing
