// The event mode under attack: names that would write outside a station's
// folder or over an input, files that are no records, answers without end,
// threads that cannot start, and signals as nohup and timeout send them.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "support/event_records.h"
#include "support/process_watch.h"
#include "support/run_binary.h"

namespace smproc::testing {
namespace {

namespace fs = std::filesystem;

const std::string ok_answers = "0\n0\n0\n0\n0\nw.csv\n\n";

// The program run with one variable added to its environment.
Outcome run_with_env(const fs::path& dir, const std::string& variable,
                     const std::vector<std::string>& args) {
  std::vector<std::string> a{variable, SMPROC_BIN};
  a.insert(a.end(), args.begin(), args.end());
  return run_program("/usr/bin/env", dir, "", a);
}

TEST(EventAttacks, ThreadsThatCannotStartLeaveTheOthersToRun) {
  for (const char* limit : {"SMPROC_TEST_THREAD_LIMIT=0", "SMPROC_TEST_THREAD_LIMIT=1"}) {
    TempDir dir;
    for (const char* s : {"A", "B", "C"}) write_station(dir.path() / "event", s, 600, 1);
    const Outcome o = run_with_env(dir.path(), limit, {"--skip", "0", "-j", "3", "-o", "out", "event"});
    EXPECT_EQ(o.status, 0) << limit << o.err;
    EXPECT_NE(o.err.find("smproc: warning: only 1 of 3 jobs could start"), std::string::npos)
        << o.err;
    for (const char* s : {"A", "B", "C"})
      EXPECT_TRUE(dir.exists(std::string("out/") + s + "/w.csv") ||
                  dir.exists(std::string("out/") + s + "/wave.csv"))
          << s;
    EXPECT_EQ(lines_of(dir.read("out/summary.csv")).size(), 4u);
  }
}

TEST(EventAttacks, WaveformNamesOutsideTheStationFolderAreUsageErrors) {
  const std::string padded_amp3 = "amp3.csv" + std::string(22, ' ') + "x.csv";
  TempDir elsewhere;
  const std::string absolute = (elsewhere.path() / "every_station.csv").string();
  const std::vector<std::string> names = {"../B.ns", absolute, ".", "..",
                                          "sub/w.csv", "./console.txt", "console.txt ",
                                          "amp3.csv", padded_amp3, "answers.txt"};
  for (const std::string& name : names) {
    for (bool from_file : {false, true}) {
      TempDir dir;
      write_station(dir.path(), "A", 600, 1);
      write_station(dir.path(), "B", 600, 4);
      dir.write("a.answers", "0\n0\n0\n0\n0\n" + name + "\n\n");
      const auto before = file_tree(dir.path());
      const std::vector<std::string> args =
          from_file ? std::vector<std::string>{"--answers", "a.answers", "-o", ".", "."}
                    : std::vector<std::string>{"--waveform", name, "-o", ".", "."};
      const Outcome o = run_smproc(dir.path(), "", args);
      EXPECT_EQ(o.status, 2) << name;
      EXPECT_EQ(o.err.rfind("smproc: the waveform file cannot be named ", 0), 0u) << o.err;
      EXPECT_EQ(file_tree(dir.path()), before) << name;
      EXPECT_FALSE(fs::exists(absolute));
    }
  }
}

TEST(EventAttacks, FilesNamedLikeRecordsThatAreNoRecordsFailTheirStationUnopened) {
  TempDir dir;
  const fs::path event = dir.path() / "event";
  for (const char* s : {"GOOD", "PIPE", "ZERO", "DIR", "LOOP"}) write_station(event, s, 600, 1);
  fs::remove(event / "PIPE.ud");
  ASSERT_EQ(mkfifo((event / "PIPE.ud").c_str(), 0644), 0);
  fs::remove(event / "ZERO.ns");
  fs::create_symlink("/dev/zero", event / "ZERO.ns");
  fs::remove(event / "DIR.ew");
  fs::create_directory(event / "DIR.ew");
  fs::remove(event / "LOOP.ns");
  fs::create_symlink("LOOP.ns", event / "LOOP.ns");
  // A hang would be a failure, not a test that never ends.
  const Outcome o =
      run_program("/usr/bin/timeout", dir.path(), "",
                  {"20", SMPROC_BIN, "--skip", "0", "-o", "out", "event"});
  EXPECT_EQ(o.status, 2) << o.err;
  for (const char* line : {"smproc: PIPE: not processed: event/PIPE.ud: not a regular file\n",
                           "smproc: ZERO: not processed: event/ZERO.ns: not a regular file\n",
                           "smproc: DIR: not processed: event/DIR.ew: not a regular file\n",
                           "smproc: LOOP: not processed: event/LOOP.ns: a loop of symbolic links\n"})
    EXPECT_NE(o.err.find(line), std::string::npos) << line << o.err;
  EXPECT_TRUE(dir.exists("out/GOOD/wave.csv"));
  EXPECT_NE(dir.read("out/summary.csv").find("GOOD,ok,"), std::string::npos);
}

TEST(EventAttacks, AnswersFileIsARegularFileOfAtMost16MiB) {
  TempDir dir;
  write_station(dir.path() / "event", "A", 600, 1);
  // Well-formed answers, then more lines than any dialogue reads.
  std::string big = ok_answers;
  big.resize((16u << 20) + 1, '\n');
  dir.write("big.answers", big);
  dir.write("fits.answers", ok_answers + std::string((16u << 20) - ok_answers.size(), '\n'));
  struct Case {
    const char* file;
    const char* err;
  };
  const Case cases[] = {
      {"/dev/zero", "smproc: cannot read the answers from /dev/zero: not a regular file\n"},
      {"big.answers", "smproc: cannot read the answers from big.answers: larger than 16 MiB\n"},
  };
  for (const Case& c : cases) {
    const Outcome o = run_smproc(dir.path(), "", {"--answers", c.file, "-o", "out", "event"});
    EXPECT_EQ(o.status, 2);
    EXPECT_EQ(o.err, c.err);
    EXPECT_FALSE(dir.exists("out"));
  }
  const Outcome fits = run_smproc(dir.path(), "", {"--answers", "fits.answers", "-o", "out", "event"});
  EXPECT_EQ(fits.status, 0) << fits.err;
}

TEST(EventAttacks, NoOutputReplacesTheAnswersFile) {
  // Alone, in the working folder; and in an event, inside a station's folder.
  TempDir dir;
  write_station(dir.path(), "A", 600, 1);
  const std::string answers = "0\n0\n0\n0\n0\nq.answers\n\n";
  dir.write("q.answers", answers);
  const Outcome alone = run_smproc(dir.path(), "", {"--answers", "q.answers", "A"});
  EXPECT_EQ(alone.status, 2);
  EXPECT_NE(alone.err.find("would replace an input file"), std::string::npos) << alone.err;
  EXPECT_EQ(dir.read("q.answers"), answers);

  fs::create_directories(dir.path() / "out" / "A");
  dir.write("out/A/q.answers", answers);
  const Outcome event = run_smproc(dir.path(), "", {"--answers", "out/A/q.answers", "-o", "out", "A"});
  EXPECT_EQ(event.status, 2);
  EXPECT_EQ(dir.read("out/A/q.answers"), answers);
}

TEST(EventAttacks, SecondRunInTheRecordsFolderFindsTheSameStations) {
  TempDir dir;
  write_station(dir.path(), "AAA", 600, 1);
  write_station(dir.path(), "BBB", 600, 4);
  const std::vector<std::string> args = {"--waveform", "w.csv", "AAA", "BBB"};
  const Outcome first = run_smproc(dir.path(), "", args);
  ASSERT_EQ(first.status, 0) << first.err;
  ASSERT_TRUE(fs::is_directory(dir.path() / "AAA"));
  const std::string summary = dir.read("summary.csv");
  const Outcome second = run_smproc(dir.path(), "", args);
  EXPECT_EQ(second.status, 0) << second.err;
  EXPECT_EQ(second.out, first.out);
  EXPECT_EQ(dir.read("summary.csv"), summary);

  // A folder of outputs alone is no station, and says so.
  const Outcome outputs = run_smproc(dir.path(), "", {"--skip", "0", "-o", "o2", "AAA/"});
  EXPECT_EQ(outputs.status, 2);
  EXPECT_NE(outputs.err.find("a folder of outputs"), std::string::npos) << outputs.err;
}

TEST(EventAttacks, OptionValuesBeyondTheDoubleRangeAreUsageErrors) {
  const std::vector<std::vector<std::string>> cases = {
      {"--bandpass", "1e400,1,2,3"}, {"--bandpass", "0.1,0.2,20,-1D309"}, {"--window", "0,1d999"}};
  for (const auto& c : cases) {
    TempDir dir;
    write_station(dir.path() / "event", "A", 600, 1);
    std::vector<std::string> args = c;
    for (const char* a : {"-o", "out", "event"}) args.emplace_back(a);
    const Outcome o = run_smproc(dir.path(), "", args);
    EXPECT_EQ(o.status, 2) << c[1];
    EXPECT_EQ(o.err.rfind("smproc: " + c[0] + " takes ", 0), 0u) << o.err;
    EXPECT_FALSE(dir.exists("out"));
  }
}

TEST(EventAttacks, ControlCharactersOfAStemAreShownAsQuestionMarksOnStandardError) {
  TempDir dir;
  StationFacts facts;
  facts.sampling = "fast";  // a warning, whose line names the stem
  write_station(dir.path() / "event", "A\x1b[2J\rB", 600, 1, facts);
  const Outcome o = run_smproc(dir.path(), "", {"--skip", "0", "-o", "out", "event"});
  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_NE(o.err.find("smproc: A?[2J?B: warning: "), std::string::npos) << o.err;
  EXPECT_EQ(o.err.find('\x1b'), std::string::npos);
  EXPECT_EQ(o.err.find('\r'), std::string::npos);

  // A stem with only one of its records is reported before any station runs.
  dir.write("event/C\x1b]0;title\aD.ns", station_record(600, 9, 0));
  const Outcome incomplete = run_smproc(dir.path(), "", {"--skip", "0", "-o", "out", "event"});
  EXPECT_NE(incomplete.err.find("smproc: C?]0;title?D: not processed: missing EW and UD"),
            std::string::npos)
      << incomplete.err;
  EXPECT_EQ(incomplete.err.find('\x1b'), std::string::npos);
  EXPECT_EQ(incomplete.err.find('\a'), std::string::npos);
}

// ---------------------------------------------------------------------------
// Signals, while a station waits in the middle of its run: its warning is
// written to a standard error that is a full pipe.

struct HeldEvent {
  pid_t pid = -1;
  int err = -1;  // the pipe's read end
  std::size_t filled = 0;
};


HeldEvent start_held(const fs::path& dir, const std::vector<int>& ignored) {
  StationFacts facts;
  facts.sampling = "fast";  // a warning, which waits on the full pipe
  write_station(dir / "event", "A", 600, 1, facts);
  write_station(dir / "event", "B", 600, 2);
  HeldEvent h;
  int err[2];
  if (pipe(err) != 0) return h;
  fcntl(err[1], F_SETFL, O_NONBLOCK);
  const std::string filler(4096, '.');
  for (ssize_t n; (n = ::write(err[1], filler.data(), filler.size())) > 0;)
    h.filled += static_cast<std::size_t>(n);
  fcntl(err[1], F_SETFL, 0);
  h.pid = fork();
  if (h.pid == 0) {
    for (int s : ignored) signal(s, SIG_IGN);
    const int null = open("/dev/null", O_RDWR);
    if (null < 0 || chdir(dir.c_str()) != 0) _exit(127);
    dup2(null, 0);
    dup2(null, 1);
    dup2(err[1], 2);
    execl(SMPROC_BIN, SMPROC_BIN, "--skip", "0", "-j", "1", "-o", "out", "event",
          static_cast<char*>(nullptr));
    _exit(127);
  }
  close(err[1]);
  h.err = err[0];
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (!writing_to_stderr(h.pid) && std::chrono::steady_clock::now() < until)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  return h;
}

// Reads standard error to its end, then waits for the process.
int finish_held(HeldEvent& h, std::string& text) {
  char buffer[65536];
  for (ssize_t n; (n = ::read(h.err, buffer, sizeof buffer)) > 0;)
    text.append(buffer, static_cast<std::size_t>(n));
  close(h.err);
  text.erase(0, h.filled);
  int wstatus = 0;
  waitpid(h.pid, &wstatus, 0);
  return wstatus;
}

TEST(EventAttacks, SignalsIgnoredAtStartStayIgnored) {
  TempDir dir;
  HeldEvent h = start_held(dir.path(), {SIGHUP, SIGINT});
  ASSERT_GT(h.pid, 0);
  kill(h.pid, SIGHUP);
  kill(h.pid, SIGINT);
  std::string text;
  const int wstatus = finish_held(h, text);
  ASSERT_TRUE(WIFEXITED(wstatus)) << text;
  EXPECT_EQ(WEXITSTATUS(wstatus), 0) << text;
  EXPECT_EQ(text.find("interrupted"), std::string::npos) << text;
  EXPECT_TRUE(fs::exists(dir.path() / "out" / "B" / "wave.csv"));
}

TEST(EventAttacks, OneSignalDeliveredTwiceIsOneInterrupt) {
  TempDir dir;
  HeldEvent h = start_held(dir.path(), {});
  ASSERT_GT(h.pid, 0);
  // As timeout sends it: to the process, then to its group.
  kill(h.pid, SIGTERM);
  wait_until_taken(h.pid);
  kill(h.pid, SIGTERM);
  wait_until_taken(h.pid);
  std::string text;
  const int wstatus = finish_held(h, text);
  ASSERT_TRUE(WIFEXITED(wstatus)) << text;
  EXPECT_EQ(WEXITSTATUS(wstatus), 128 + SIGTERM);
  const auto rows = lines_of(read_file(dir.path() / "out" / "summary.csv"));
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[1].rfind("A,ok,", 0), 0u);
  EXPECT_EQ(rows[2].rfind("B,not run,", 0), 0u);
}

}  // namespace
}  // namespace smproc::testing
