#include "files/folder_replacement.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "files/whole_file.h"
#include "support/run_binary.h"

namespace smproc::textio {
namespace {

using smproc::testing::TempDir;
using smproc::testing::file_tree;
namespace fs = std::filesystem;

TEST(FolderReplacementTest, TheFolderIsOldUntilCommittedThenNewWhole) {
  TempDir dir;
  fs::create_directory(dir.path() / "ST");
  dir.write("ST/vel.csv", "old waveform\n");
  dir.write("ST/console.txt", "old console\n");
  TempFiles temporaries;
  {
    FolderReplacement folder;
    ASSERT_EQ(folder.begin(dir.path().string(), "ST", temporaries), "");
    EXPECT_EQ(temporaries.listed().size(), 1u);
    EXPECT_EQ(write_whole_file(folder.path() + "/dis.csv", "new waveform\n", {}, temporaries), "");
    EXPECT_EQ(dir.read("ST/vel.csv"), "old waveform\n");  // nothing new shows yet
    EXPECT_EQ(folder.commit(), "");
  }
  EXPECT_EQ(file_tree(dir.path()),
            (std::map<std::string, std::string>{{"ST/dis.csv", "new waveform\n"}}));
  EXPECT_TRUE(temporaries.listed().empty());
  // Not committed (the station was stopped): the old folder stays whole.
  {
    FolderReplacement folder;
    ASSERT_EQ(folder.begin(dir.path().string(), "ST", temporaries), "");
    EXPECT_EQ(write_whole_file(folder.path() + "/x.csv", "half\n", {}, temporaries), "");
  }
  EXPECT_EQ(file_tree(dir.path()),
            (std::map<std::string, std::string>{{"ST/dis.csv", "new waveform\n"}}));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

// Another user who may write in the folder moves the hidden folder away and
// puts a link to a folder of theirs in its place: the outputs still go to
// the hidden folder, and the link is never swapped in.
TEST(FolderReplacementTest, AMovedHiddenFolderIsNeverSwappedIn) {
  TempDir dir, elsewhere;
  TempFiles temporaries;
  FolderReplacement folder;
  ASSERT_EQ(folder.begin(dir.path().string(), "ST", temporaries), "");
  const std::string hidden = temporaries.listed().at(0);
  fs::rename(hidden, dir.path() / "moved");
  fs::create_directory_symlink(elsewhere.path(), hidden);
  EXPECT_EQ(write_whole_file(folder.path() + "/amp3.csv", "spectrum\n", {}, temporaries), "");
  EXPECT_EQ(dir.read("moved/amp3.csv"), "spectrum\n");
  EXPECT_NE(folder.commit().find("was moved while the station ran"), std::string::npos);
  EXPECT_FALSE(fs::exists(dir.path() / "ST"));
  EXPECT_TRUE(fs::is_empty(elsewhere.path()));
}

TEST(FolderReplacementTest, ALinkOrAFileAtTheFoldersNameIsRefused) {
  TempDir dir, elsewhere;
  fs::create_directory_symlink(elsewhere.path(), dir.path() / "LINK");
  dir.write("FILE", "a file\n");
  for (const char* name : {"LINK", "FILE"}) {
    FolderReplacement folder;
    EXPECT_NE(folder.begin(dir.path().string(), name), "") << name;
  }
  EXPECT_TRUE(fs::is_symlink(dir.path() / "LINK"));
  EXPECT_EQ(dir.read("FILE"), "a file\n");
  EXPECT_TRUE(fs::is_empty(elsewhere.path()));
  EXPECT_TRUE(process_temporaries().listed().empty());
}

}  // namespace
}  // namespace smproc::textio
