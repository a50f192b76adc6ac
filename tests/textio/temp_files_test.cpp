#include "textio/temp_files.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/run_binary.h"

namespace smproc::textio {
namespace {

using smproc::testing::TempDir;
namespace fs = std::filesystem;

TEST(TempFilesTest, HiddenUniqueFilesBesideTheTargetUntilCommittedOrDiscarded) {
  TempDir dir;
  const std::string target = (dir.path() / "amp3.csv").string();
  TempFiles temporaries;
  std::string first, second;
  const int a = temporaries.create(target, first);
  const int b = temporaries.create(target, second);
  ASSERT_GE(a, 0);
  ASSERT_GE(b, 0);
  EXPECT_NE(first, second);
  for (const fs::path p : {first, second}) {
    EXPECT_EQ(p.parent_path(), dir.path());
    EXPECT_EQ(p.filename().string().rfind(".amp3.csv.", 0), 0u) << p;
  }
  EXPECT_EQ(temporaries.listed(), (std::vector<std::string>{first, second}));
  ASSERT_EQ(write(a, "new\n", 4), 4);
  close(a);
  close(b);
  EXPECT_TRUE(temporaries.commit(first, target));
  temporaries.discard(second);
  EXPECT_TRUE(temporaries.listed().empty());
  EXPECT_EQ(dir.read("amp3.csv"), "new\n");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);

  // A very long name still gives a temporary name the system takes.
  const std::string long_target = (dir.path() / std::string(250, 'w')).string();
  std::string third;
  const int c = temporaries.create(long_target, third);
  EXPECT_GE(c, 0);
  close(c);
  { auto hold = temporaries.remove_all(); }
  EXPECT_FALSE(fs::exists(third));
  EXPECT_TRUE(temporaries.listed().empty());
}

// The new file takes the name whatever stands there; what cannot be replaced
// by a file (a folder) stays, and so does the new file, under its own name.
TEST(TempFilesTest, RenameOverReplacesFilesAndLeavesNothingBehind) {
  struct Case {
    const char* what;
    const char* before;  // the target's content, nullptr: none; "/": a folder
    bool replaced;
  };
  for (const Case& c : {Case{"an older file", "old and longer\n", true},
                        Case{"no file", nullptr, true},
                        Case{"an empty file", "", true},
                        Case{"a folder", "/", false}}) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    const std::string target = (dir.path() / "vel.csv").string();
    if (c.before && std::string(c.before) == "/") {
      fs::create_directory(target);
      dir.write("vel.csv/inside", "kept");
    } else if (c.before) {
      dir.write("vel.csv", c.before);
    }
    std::string temporary;
    const int fd = create_temporary(target, temporary);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(write(fd, "new\n", 4), 4);
    close(fd);
    const bool done = rename_over(temporary, target);
    EXPECT_EQ(done, c.replaced);
    if (c.replaced) {
      EXPECT_EQ(dir.read("vel.csv"), "new\n");
      EXPECT_FALSE(fs::exists(temporary));
      EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
    } else {
      EXPECT_EQ(dir.read("vel.csv/inside"), "kept");
      EXPECT_TRUE(fs::exists(temporary));
    }
  }
}

}  // namespace
}  // namespace smproc::textio
