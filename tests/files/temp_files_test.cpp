#include "files/temp_files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

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
  EXPECT_TRUE(temporaries.commit(a, first, target));
  close(a);
  close(b);
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

// The new file takes the name whatever stands there, a link included (the
// link is replaced, never followed); what cannot be replaced by a file (a
// folder) stays, and so does the new file, listed under its own name.
TEST(TempFilesTest, CommitReplacesFilesAndLinksAndLeavesNothingBehind) {
  struct Case {
    const char* what;
    const char* before;  // the target's content, nullptr: none; "/": a folder; "@": a link
    bool replaced;
  };
  for (const Case& c : {Case{"an older file", "old and longer\n", true},
                        Case{"no file", nullptr, true},
                        Case{"an empty file", "", true},
                        Case{"a link to a file elsewhere", "@", true},
                        Case{"a folder", "/", false}}) {
    SCOPED_TRACE(c.what);
    TempDir dir, elsewhere;
    const std::string target = (dir.path() / "vel.csv").string();
    const std::string before = c.before ? c.before : "";
    elsewhere.write("victim", "not ours\n");
    if (before == "/") {
      fs::create_directory(target);
      dir.write("vel.csv/inside", "kept");
    } else if (before == "@") {
      fs::create_symlink(elsewhere.path() / "victim", target);
    } else if (c.before) {
      dir.write("vel.csv", c.before);
    }
    TempFiles temporaries;
    std::string temporary;
    const int fd = temporaries.create(target, temporary);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(write(fd, "new\n", 4), 4);
    const bool done = temporaries.commit(fd, temporary, target);
    close(fd);
    EXPECT_EQ(done, c.replaced);
    EXPECT_EQ(elsewhere.read("victim"), "not ours\n");
    if (c.replaced) {
      EXPECT_FALSE(fs::is_symlink(target));
      EXPECT_EQ(dir.read("vel.csv"), "new\n");
      EXPECT_FALSE(fs::exists(temporary));
      EXPECT_TRUE(temporaries.listed().empty());
      EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
    } else {
      EXPECT_EQ(dir.read("vel.csv/inside"), "kept");
      EXPECT_EQ(temporaries.listed(), std::vector<std::string>{temporary});
    }
  }
}

// Another user who can write in the folder cannot plant a link at the name
// the next temporary file takes: the names are random and a file is never
// created through a link or over anything that stands there.
TEST(TempFilesTest, NamesAreUnpredictableAndNeverCreatedThroughALink) {
  TempDir dir;
  const std::string target = (dir.path() / "summary.csv").string();
  std::vector<std::string> names;
  for (int k = 0; k < 200; ++k) names.push_back(hidden_name(target));
  for (const std::string& n : names) {
    const std::string base = fs::path(n).filename().string();
    ASSERT_EQ(base.rfind(".summary.csv.", 0), 0u) << n;
    EXPECT_EQ(base.size(), std::string(".summary.csv.").size() + 8) << n;
  }
  std::sort(names.begin(), names.end());
  EXPECT_EQ(std::unique(names.begin(), names.end()), names.end());
}

TEST(TempFilesTest, AListedFolderGoesWholeOnASignal) {
  TempDir dir;
  TempFiles temporaries;
  std::string folder;
  ASSERT_TRUE(temporaries.create_folder((dir.path() / "ST01").string(), folder));
  struct stat st;
  ASSERT_EQ(::stat(folder.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);  // no other user may plant a link inside
  dir.write(fs::path(folder).filename().string() + "/amp3.csv", "half\n");
  fs::create_symlink(dir.path() / "outside", fs::path(folder) / "link");
  dir.write("outside", "stays\n");
  { auto hold = temporaries.remove_all(); }
  EXPECT_FALSE(fs::exists(folder));
  EXPECT_EQ(dir.read("outside"), "stays\n");
  EXPECT_TRUE(temporaries.listed().empty());
}

}  // namespace
}  // namespace smproc::textio
