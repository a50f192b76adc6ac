#include "textio/files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>

#include "support/failure_of.h"
#include "support/run_binary.h"

namespace smproc::textio {
namespace {

using smproc::testing::TempDir;

using smproc::testing::failure_of;

TEST(TrimNameTest, OnlyTrailingBlanksGo) {
  struct Case { const char* raw; const char* name; };
  for (const Case t : {Case{"vel.csv                       ", "vel.csv"}, {"  a b  ", "  a b"},
                       {"abc", "abc"}, {"   ", ""}, {"", ""}}) {
    EXPECT_EQ(trim_name(t.raw), t.name) << '"' << t.raw << '"';
  }
}

TEST(OpenForWritingTest, CloseLeavesExactlyWhatWasWritten) {
  TempDir dir;
  const std::string path = (dir.path() / "vel.csv").string();
  dir.write("vel.csv", "an older and much longer content\nof two lines\n");
  // Trailing blanks are not part of the name.
  Output out = open_for_writing(path + "        ", unit_file);
  EXPECT_EQ(out.name(), path);
  list_write(out, {"NS"});
  out.close();
  EXPECT_EQ(dir.read("vel.csv"), " NS\n");
  EXPECT_FALSE(dir.exists("vel.csv        "));

  Output created = open_for_writing((dir.path() / "new.csv").string(), unit_spectrum);
  list_write(created, {1, 2});
  created.close();
  EXPECT_EQ(dir.read("new.csv"), " 1 2\n");
}

TEST(OpenForReadingTest, ExistingMissingAndCreated) {
  TempDir dir;
  dir.write("rec.ns", "abc\n");
  chmod((dir.path() / "rec.ns").c_str(), 0444);  // a file that may only be read is read normally
  {
    Input in = open_for_reading((dir.path() / "rec.ns").string(), unit_file, false);
    std::string t;
    list_read(in, {TextItem{&t, 3}});
    EXPECT_EQ(t, "abc");
  }
  EXPECT_EQ(dir.read("rec.ns"), "abc\n");

  const std::string missing = (dir.path() / "missing.ns").string();
  Failure f = failure_of([&] { open_for_reading(missing, unit_file, false); });
  EXPECT_EQ(f.context, "open");
  EXPECT_EQ(f.reason, std::strerror(ENOENT));
  EXPECT_EQ(f.unit, 11);
  EXPECT_EQ(f.name, missing);
  EXPECT_FALSE(f.writing);
  EXPECT_FALSE(dir.exists("missing.ns"));

  // Created empty; its first read meets the end of the file.
  Input in = open_for_reading(missing, unit_file, true);
  EXPECT_TRUE(dir.exists("missing.ns"));
  EXPECT_EQ(std::filesystem::file_size(missing), 0u);
  std::string head;
  Failure end = failure_of([&] { list_read(in, {TextItem{&head, 40}}); });
  EXPECT_EQ(end.context, "list in");
  EXPECT_EQ(end.reason, "end of file");
  EXPECT_EQ(end.name, missing);
}

TEST(OpenTest, FolderAndBlankNameFail) {
  TempDir dir;
  const std::string folder = dir.path().string();
  Failure r = failure_of([&] { open_for_reading(folder, unit_file, true); });
  EXPECT_EQ(r.context, "open");
  EXPECT_FALSE(r.writing);
  Failure w = failure_of([&] { open_for_writing(folder, unit_file); });
  EXPECT_EQ(w.context, "open");
  EXPECT_TRUE(w.writing);
  EXPECT_EQ(w.name, folder);

  Failure blank_r = failure_of([&] { open_for_reading("      ", unit_file, true); });
  EXPECT_EQ(blank_r.context, "open");
  EXPECT_EQ(blank_r.reason, "null file name");
  Failure blank_w = failure_of([&] { open_for_writing("      ", unit_file); });
  EXPECT_EQ(blank_w.context, "open");
  EXPECT_EQ(blank_w.reason, "null file name");
  EXPECT_TRUE(blank_w.writing);
}

TEST(OpenForWritingTest, RefusedBytesFailAsAWrite) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no device that refuses bytes";
  Output out = open_for_writing("/dev/full", unit_file);
  list_write(out, {"x"});
  Failure f = failure_of([&] { out.close(); });
  EXPECT_EQ(f.reason, std::strerror(ENOSPC));
  EXPECT_EQ(f.unit, 11);
  EXPECT_EQ(f.name, "/dev/full");
  EXPECT_EQ(f.format, "list io");
  EXPECT_TRUE(f.writing);
}

namespace fs = std::filesystem;

TEST(OpenTest, PlainWordsSayWhichFileCouldNotBeOpened) {
  TempDir dir;
  Failure r = failure_of([&] {
    open_for_reading((dir.path() / "st.ud").string(), unit_file, false, "record file");
  });
  EXPECT_EQ(r.detail, "The record file " + (dir.path() / "st.ud").string() +
                          " could not be opened: No such file or directory.");
  Failure w = failure_of(
      [&] { open_for_writing("nowhere/out.csv", unit_file, OutputPlace{dir.path()}, "waveform file"); });
  EXPECT_EQ(w.detail,
            "The waveform file nowhere/out.csv could not be opened for writing: No such file or "
            "directory.");
  EXPECT_FALSE(fs::exists(dir.path() / "nowhere"));
  Failure blank = failure_of([&] { open_for_writing("  ", unit_file, {}, "waveform file"); });
  EXPECT_EQ(blank.detail, "The name of the waveform file is blank.");
  Output full = open_for_writing("/dev/full", unit_file, {}, "waveform file");
  list_write(full, {"x"});
  Failure f = failure_of([&] { full.close(); });
  EXPECT_EQ(f.detail, "The waveform file /dev/full could not be written: No space left on device.");
}

}  // namespace
}  // namespace smproc::textio
