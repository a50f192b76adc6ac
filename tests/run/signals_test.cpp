#include "run/signals.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <filesystem>
#include <functional>
#include <string>

#include "support/run_binary.h"
#include "files/files.h"
#include "files/temp_files.h"

namespace smproc {
namespace {

using smproc::testing::TempDir;
namespace fs = std::filesystem;

// Runs body in a child process; its exit status, or 128 plus the signal
// that ended it.
int in_child(const std::function<int()>& body) {
  pid_t pid = fork();
  if (pid == 0) {
    int status = 100;
    try {
      status = body();
    } catch (...) {
    }
    _exit(status);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFSIGNALED(status) ? 128 + WTERMSIG(status) : WEXITSTATUS(status);
}

const std::string old_content = "the older file, whole\n";

TEST(SignalWatcherTest, AKillMidWriteLeavesTheOldFileWholeAndNoTemporaryFile) {
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
    TempDir dir;
    dir.write("vel.csv", old_content);
    const int ended = in_child([&] {
      textio::TempFiles temporaries;
      SignalWatcher watcher({SIGINT, SIGTERM, SIGHUP}, [&temporaries](int s) {
        auto hold = temporaries.remove_all();
        end_by_signal(s);
      });
      if (!watcher.watching()) return 1;
      textio::OutputPlace place;
      place.folder = dir.path();
      place.temporaries = &temporaries;
      textio::Output out = textio::open_for_writing("vel.csv", textio::unit_file, place);
      for (int i = 0; i < 5000; ++i) textio::list_write(out, {"a row of the new file", i});
      out.flush();  // the temporary file now holds most of the new rows
      kill(getpid(), signal);
      for (;;) pause();
    });
    EXPECT_EQ(ended, 128 + signal);
    EXPECT_EQ(dir.read("vel.csv"), old_content) << signal;
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1)
        << signal;
  }
}

TEST(SignalWatcherTest, AnActionThatReturnsKeepsWatchingAndTheMaskComesBack) {
  const int status = in_child([] {
    std::atomic<int> seen{0};
    {
      SignalWatcher watcher({SIGUSR1}, [&seen](int s) {
        if (s == SIGUSR1) ++seen;
      });
      if (!watcher.watching()) return 1;
      for (int n = 1; n <= 2; ++n) {
        kill(getpid(), SIGUSR1);
        for (int i = 0; i < 60000 && seen < n; ++i) usleep(1000);
      }
    }
    sigset_t mask;
    pthread_sigmask(SIG_BLOCK, nullptr, &mask);
    return seen == 2 && !sigismember(&mask, SIGUSR1) ? 0 : 2;
  });
  EXPECT_EQ(status, 0);
}

}  // namespace
}  // namespace smproc
