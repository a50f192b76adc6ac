// Output files are replaced whole or not at all: a run ended by a signal
// leaves each output as it was or as the run finished it, never a mix; a
// file-size limit is a reported failure; no output replaces an input; a
// closed standard descriptor is never taken by a result file.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "support/record_text.h"
#include "support/run_binary.h"

namespace smproc::testing {
namespace {

namespace fs = std::filesystem;

const std::string ns = "tky0070410231756.ns";
const std::string ew = "tky0070410231756.ew";
const std::string ud = "tky0070410231756.ud";

std::string record() { return RecordText().counts({1, 2, 3, 4, 5, 6, 7, 8}).text(); }

void write_records(const TempDir& dir) {
  for (const std::string& name : {ns, ew, ud}) dir.write(name, record());
}

const std::string old_content = "an older file, longer than anything this run writes\n";
// Answers up to the waveform file's name, which the cases add.
const std::string to_the_name = "0\n0\n0\n0\n0\n";

std::size_t lines_in(const std::string& text) {
  return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

// What a complete output of these 8-sample records looks like.
bool complete_spectrum(const std::string& text) {
  return text.rfind(" frequency(Hz),NS,EW,UD\n", 0) == 0 && lines_in(text) == 5;
}
bool complete_waveform(const std::string& text) {
  return text.rfind(" time(s),NS,EW,UD\n", 0) == 0 && lines_in(text) == 9;
}

// Names in the folder besides the records: no temporary file may stay.
std::vector<std::string> others(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(dir)) {
    const std::string n = e.path().filename().string();
    if (n != ns && n != ew && n != ud) names.push_back(n);
  }
  std::sort(names.begin(), names.end());
  return names;
}

// The program in a folder, its answers coming through a pipe that the test
// holds open, so that the run waits at a question as long as the test likes.
class AnswersThroughAPipe {
 public:
  explicit AnswersThroughAPipe(const fs::path& dir) {
    const fs::path fifo = io_.path() / "answers";
    if (mkfifo(fifo.c_str(), 0600) != 0) throw std::runtime_error("mkfifo failed");
    pid_ = fork();
    if (pid_ < 0) throw std::runtime_error("fork failed");
    if (pid_ == 0) {
      int in = open(fifo.c_str(), O_RDONLY);  // waits for the test to open its end
      int out = open((io_.path() / "out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      int err = open((io_.path() / "err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (in < 0 || out < 0 || err < 0 || chdir(dir.c_str()) != 0) _exit(127);
      dup2(in, 0);
      dup2(out, 1);
      dup2(err, 2);
      execl(SMPROC_BIN, SMPROC_BIN, static_cast<char*>(nullptr));
      _exit(127);
    }
    writer_ = open(fifo.c_str(), O_WRONLY);
  }
  ~AnswersThroughAPipe() {
    if (writer_ >= 0) close(writer_);
    if (!ended_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }
  AnswersThroughAPipe(const AnswersThroughAPipe&) = delete;
  AnswersThroughAPipe& operator=(const AnswersThroughAPipe&) = delete;

  void answer(const std::string& text) const {
    ASSERT_EQ(write(writer_, text.data(), text.size()), static_cast<ssize_t>(text.size()));
  }
  std::string console() const { return io_.read("out"); }

  // Sends the signal and waits for the end; the signal that ended it, or 0.
  int end_by(int signal) {
    kill(pid_, signal);
    int status = 0;
    waitpid(pid_, &status, 0);
    ended_ = true;
    return WIFSIGNALED(status) ? WTERMSIG(status) : 0;
  }

 private:
  TempDir io_;
  pid_t pid_ = -1;
  int writer_ = -1;
  bool ended_ = false;
};

// Polls until the condition holds; false when it never does. The run it
// waits for takes milliseconds; the minute only bounds a broken program.
bool eventually(const std::function<bool()>& condition) {
  for (int i = 0; i < 6000; ++i) {
    if (condition()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

TEST(SignalDuringARun, EachOutputIsOldOrNewAndWholeAndNoTemporaryFileStays) {
  struct Stall {
    const char* where;
    std::string answers;
    std::function<bool(const TempDir&, const std::string& console)> reached;
    bool waveform_new;  // else the older waveform file stays
  };
  const Stall stalls[] = {
      {"at the waveform question, after the spectrum file", to_the_name,
       [](const TempDir&, const std::string& console) {
         return console.find("Enter output file name of waveform") != std::string::npos;
       },
       false},
      // The waveform file takes its name in one step, once it is whole.
      {"at the final pause, after both files", to_the_name + "out.csv\n",
       [](const TempDir& dir, const std::string&) { return dir.read("out.csv") != old_content; },
       true},
  };
  for (const Stall& stall : stalls) {
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
      TempDir dir;
      write_records(dir);
      dir.write("out.csv", old_content);
      dir.write("amp3.csv", old_content);
      AnswersThroughAPipe run(dir.path());
      run.answer(stall.answers);
      ASSERT_TRUE(eventually([&] { return stall.reached(dir, run.console()); })) << stall.where;
      EXPECT_EQ(run.end_by(signal), signal) << stall.where;
      EXPECT_TRUE(complete_spectrum(dir.read("amp3.csv"))) << stall.where << signal;
      if (stall.waveform_new) {
        EXPECT_TRUE(complete_waveform(dir.read("out.csv"))) << stall.where << signal;
      } else {
        EXPECT_EQ(dir.read("out.csv"), old_content) << stall.where << signal;
      }
      EXPECT_EQ(others(dir.path()), (std::vector<std::string>{"amp3.csv", "out.csv"}))
          << stall.where << signal;
    }
  }
}

TEST(FileSizeLimit, IsAReportedWriteFailureNotASignal) {
  // 6000-sample records give a spectrum file of about 200 kB; the limit
  // (64 blocks of 512 or 1024 bytes) stops it early.
  TempDir dir;
  const fs::path stem = fs::path(SMPROC_SOURCE_DIR) / "examples" / "tky0070410231756";
  Outcome o = run_program("/bin/sh", dir.path(), source_file("examples/velocity.answers"),
                          {"-c", "ulimit -f 64 && exec \"$0\" \"$1\"", SMPROC_BIN, stem.string()});
  EXPECT_EQ(o.signal, 0);
  EXPECT_EQ(o.status, 2);
  EXPECT_EQ(o.err,
            "fmt: File too large\n"
            "apparent state: unit 10 named amp3.csv\n"
            "last format: (F8.4,6(',',E12.4))\n"
            "lately writing sequential formatted external IO\n"
            "The spectrum file amp3.csv could not be written: File too large.\n");
  // What was written before the failure is what the file holds.
  const std::string amp = dir.read("amp3.csv");
  EXPECT_EQ(amp.rfind(" frequency(Hz),NS,EW,UD\n", 0), 0u);
  EXPECT_GE(amp.size(), 32768u);
  EXPECT_EQ(others(dir.path()), std::vector<std::string>{"amp3.csv"});
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
      // The spectrum file the run has just written stays the spectrum.
      {"the spectrum file", [](const fs::path&) {}, "amp3.csv", false,
       "The waveform file amp3.csv is the same file as the spectrum file amp3.csv, which this "
       "run has written; it was left untouched.",
       ns},
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

TEST(StandardDescriptors, AClosedOneIsNeverTakenByAResultFile) {
  struct Case {
    const char* redirect;
    std::string output;  // the waveform file name
    int status;
  };
  // With standard error closed, a failure after the spectrum file was written
  // used to put its report into that file; with standard output closed, the
  // first record file took its place and the console could not be written.
  const Case cases[] = {{"2>&-", "nowhere/out.csv", 2}, {">&-", "out.csv", 0}};
  for (const Case& c : cases) {
    TempDir dir;
    write_records(dir);
    Outcome o = run_program("/bin/sh", dir.path(), to_the_name + c.output + "\n\n",
                            {"-c", std::string("exec \"$0\" ") + c.redirect, SMPROC_BIN});
    EXPECT_EQ(o.status, c.status) << c.redirect << o.err;
    EXPECT_TRUE(complete_spectrum(dir.read("amp3.csv"))) << c.redirect << dir.read("amp3.csv");
    EXPECT_EQ(dir.read(ns), record()) << c.redirect;
  }
}

}  // namespace
}  // namespace smproc::testing
