// The event mode's folders under attack: planted links never followed, a
// station's folder old or new and never a mix, no summary describing files
// that are not there.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "support/event_records.h"
#include "support/run_binary.h"

namespace smproc::testing {
namespace {

namespace fs = std::filesystem;

const std::string victim_text = "a file of another user, outside -o\n";

// The names in a folder, hidden ones included.
std::vector<std::string> names_in(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

struct Event {
  TempDir dir, elsewhere;  // elsewhere: outside -o, where nothing may be written
  Event() {
    write_station(dir.path() / "event", "AAA", 800, 1);
    write_station(dir.path() / "event", "BBB", 800, 4);
    elsewhere.write("victim", victim_text);
    fs::create_directories(dir.path() / "out");
  }
  fs::path out(const std::string& name = "") const { return dir.path() / "out" / name; }
  Outcome run(std::vector<std::string> options = {}) const {
    options.insert(options.end(), {"--skip", "0", "-o", "out", "event"});
    return run_smproc(dir.path(), "", options);
  }
  // Nothing outside -o changed: the victim whole, no file made beside it.
  void expect_nothing_elsewhere(const std::string& what) const {
    EXPECT_EQ(elsewhere.read("victim"), victim_text) << what;
    EXPECT_EQ(names_in(elsewhere.path()), std::vector<std::string>{"victim"}) << what;
  }
};

// Links planted where the event writes: at the names the old fixed-name
// temporary files took, at a station's folder, at its outputs and at the
// summary. None is followed.
TEST(EventFolders, APlantedLinkIsNeverFollowed) {
  struct Case {
    const char* what;
    std::vector<std::string> links;  // below out/, each to the victim (or its folder)
    bool station_folder;             // AAA itself is the link, to the victim's folder
    int status;
    std::string err;  // a line standard error must hold; empty: none
  };
  const Case cases[] = {
      {"the summary's old temporary name", {"summary.csv.partial"}, false, 0, ""},
      {"console.txt's old temporary name", {"AAA/console.txt.partial"}, false, 0, ""},
      {"amp3.csv in the station's folder", {"AAA/amp3.csv"}, false, 0, ""},
      {"the waveform file in the station's folder", {"AAA/wave.csv"}, false, 0, ""},
      {"console.txt in the station's folder", {"AAA/console.txt"}, false, 0, ""},
      {"the station's folder", {}, true, 2,
       "smproc: AAA: out/AAA is a symbolic link; it was not followed and is left as it is\n"},
      {"the summary", {"summary.csv"}, false, 2,
       "smproc: out/summary.csv not written: it is a symbolic link, which is not followed\n"},
  };
  for (const Case& c : cases) {
    Event e;
    fs::create_directories(e.out("AAA"));
    if (c.station_folder) {
      fs::remove(e.out("AAA"));
      fs::create_directory_symlink(e.elsewhere.path(), e.out("AAA"));
    }
    for (const std::string& link : c.links) fs::create_symlink(e.elsewhere.path() / "victim", e.out(link));
    const Outcome o = e.run();
    EXPECT_EQ(o.status, c.status) << c.what << o.err;
    if (!c.err.empty()) {
      EXPECT_NE(o.err.find(c.err), std::string::npos) << c.what << o.err;
    }
    e.expect_nothing_elsewhere(c.what);
    // The other station is written all the same.
    EXPECT_EQ(names_in(e.out("BBB")), (std::vector<std::string>{"amp3.csv", "answers.txt", "console.txt", "wave.csv"}))
        << c.what;
    if (c.station_folder) {
      EXPECT_TRUE(fs::is_symlink(e.out("AAA"))) << c.what;
    } else {
      EXPECT_EQ(names_in(e.out("AAA")), (std::vector<std::string>{"amp3.csv", "answers.txt", "console.txt", "wave.csv"}))
          << c.what;
    }
    if (c.links == std::vector<std::string>{"summary.csv"}) {
      EXPECT_TRUE(fs::is_symlink(e.out("summary.csv"))) << c.what;
    } else {
      EXPECT_TRUE(fs::is_regular_file(e.out("summary.csv"))) << c.what;
    }
    // No hidden folder or file is left in -o.
    for (const std::string& n : names_in(e.out())) EXPECT_NE(n[0], '.') << c.what << " " << n;
  }
}

// A rerun with another waveform name: the folder holds this run's files
// only, never an older run's beside them; files of the folder that a link
// led elsewhere stay where they are.
TEST(EventFolders, AStationFolderIsReplacedWhole) {
  Event e;
  ASSERT_EQ(e.run({"--waveform", "vel.csv"}).status, 0);
  const std::string first_console = read_file(e.out("AAA/console.txt"));
  ASSERT_EQ(names_in(e.out("AAA")), (std::vector<std::string>{"amp3.csv", "answers.txt", "console.txt", "vel.csv"}));
  const Outcome o = e.run({"--waveform", "dis.csv", "--integrate", "twice"});
  ASSERT_EQ(o.status, 0) << o.err;
  for (const char* s : {"AAA", "BBB"})
    EXPECT_EQ(names_in(e.out(s)), (std::vector<std::string>{"amp3.csv", "answers.txt", "console.txt", "dis.csv"}))
        << s;
  EXPECT_EQ(read_file(e.out("AAA/console.txt")), first_console);  // the same dialogue
  for (const std::string& n : names_in(e.out())) EXPECT_NE(n[0], '.') << n;
  // The folder's permission bits stay those of a folder made by the user.
  struct stat st;
  ASSERT_EQ(::stat(e.out("AAA").c_str(), &st), 0);
  const mode_t mask = ::umask(0);
  ::umask(mask);
  EXPECT_EQ(st.st_mode & 0777, 0777 & ~mask);
}

// While the second station runs, the first one's folder is already new: the
// old summary is gone by then, and after an interrupt that ends the process
// the stations that had not finished keep their old folders whole.
TEST(EventFolders, NoSummaryDescribesFoldersThatWereReplaced) {
  Event e;
  ASSERT_EQ(e.run({"--waveform", "vel.csv"}).status, 0);
  const auto old_bbb = file_tree(e.out("BBB"));
  ASSERT_FALSE(read_file(e.out("summary.csv")).empty());
  // BBB's headers state a rate that is no number, so BBB warns in the middle
  // of its run; standard error is a full pipe, so BBB waits there, after AAA
  // is done.
  StationFacts facts;
  facts.sampling = "fast";
  write_station(e.dir.path() / "event", "BBB", 800, 4, facts);
  int err[2];
  ASSERT_EQ(::pipe(err), 0);
  ::fcntl(err[1], F_SETFL, O_NONBLOCK);
  const std::string filler(4096, '.');
  while (::write(err[1], filler.data(), filler.size()) > 0) {
  }
  const pid_t pid = fork();
  if (pid == 0) {
    const int null = ::open("/dev/null", O_RDWR);
    if (null < 0 || chdir(e.dir.path().c_str()) != 0) _exit(127);
    ::fcntl(err[1], F_SETFL, 0);
    dup2(null, 0);
    dup2(null, 1);
    dup2(err[1], 2);
    execl(SMPROC_BIN, SMPROC_BIN, "--waveform", "dis.csv", "--skip", "0", "-j", "1", "-o", "out",
          "event", static_cast<char*>(nullptr));
    _exit(127);
  }
  ::close(err[1]);
  const std::vector<std::string> new_files = {"amp3.csv", "answers.txt", "console.txt", "dis.csv"};
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (names_in(e.out("AAA")) != new_files && std::chrono::steady_clock::now() < until)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  // AAA's folder is done and swapped in; BBB cannot finish before the pipe is read.
  ASSERT_EQ(names_in(e.out("AAA")), new_files);
  EXPECT_FALSE(fs::exists(e.out("summary.csv")));
  // Two interrupts: the second ends the process at once.
  kill(pid, SIGINT);
  std::this_thread::sleep_for(std::chrono::milliseconds(700));
  kill(pid, SIGINT);
  int status = 0;
  waitpid(pid, &status, 0);
  ::close(err[0]);
  EXPECT_TRUE(WIFSIGNALED(status)) << status;
  EXPECT_EQ(file_tree(e.out("BBB")), old_bbb);
  for (const std::string& n : names_in(e.out())) EXPECT_NE(n[0], '.') << n;
}

// A station named like the summary fails alone; the summary is written.
TEST(EventFolders, AStationNamedSummaryCsvIsRefused) {
  Event e;
  write_station(e.dir.path() / "event", "summary.csv", 800, 7);
  const Outcome o = e.run();
  EXPECT_EQ(o.status, 2);
  EXPECT_NE(o.err.find("smproc: summary.csv: a station cannot be named summary.csv: its folder "
                       "would take the summary's name\n"),
            std::string::npos)
      << o.err;
  ASSERT_TRUE(fs::is_regular_file(e.out("summary.csv")));
  const auto rows = lines_of(read_file(e.out("summary.csv")));
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[1].rfind("AAA,ok,", 0), 0u);
  EXPECT_EQ(rows[2].rfind("BBB,ok,", 0), 0u);
  EXPECT_EQ(rows[3].rfind("summary.csv,a station cannot be named summary.csv", 0), 0u) << rows[3];
}

// Records kept in the folder the station's outputs go to are never removed
// with it: the station is refused.
TEST(EventFolders, AFolderHoldingTheStationsRecordsIsNotReplaced) {
  TempDir dir;
  write_station(dir.path() / "AAA", "AAA", 800, 1);
  write_station(dir.path() / "BBB", "BBB", 800, 4);
  const auto before = file_tree(dir.path() / "AAA");
  const Outcome o = run_smproc(dir.path(), "", {"--skip", "0", "AAA/AAA", "BBB/BBB"});
  EXPECT_EQ(o.status, 2);
  EXPECT_NE(o.err.find("smproc: AAA: ./AAA holds the record file AAA/AAA.ns, which replacing the "
                       "folder would remove; it is left as it is\n"),
            std::string::npos)
      << o.err;
  EXPECT_EQ(file_tree(dir.path() / "AAA"), before);
}

}  // namespace
}  // namespace smproc::testing
