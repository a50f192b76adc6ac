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

}  // namespace
}  // namespace smproc::textio
