#include "files/files.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

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

const std::string old_content = "an older file,\nlonger than what is written now\n";

OutputPlace place_in(const fs::path& folder, TempFiles* temporaries = nullptr) {
  OutputPlace place;
  place.folder = folder;
  place.temporaries = temporaries;
  return place;
}

// Entries of the folder, sorted: a temporary file shows as one more.
std::vector<std::string> entries(const TempDir& dir) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(dir.path())) names.push_back(e.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

// Writes lines enough to pass the output's buffer, so some reach the system.
void write_lines(Output& out, int n) {
  for (int i = 0; i < n; ++i) list_write(out, {"a row of the new file", i});
}

std::string lines_text(int n) {
  std::string s;
  for (int i = 0; i < n; ++i) s += " a row of the new file " + std::to_string(i) + "\n";
  return s;
}

ino_t inode(const fs::path& p) {
  struct stat st;
  return ::stat(p.c_str(), &st) == 0 ? st.st_ino : 0;
}

TEST(ReplacementTest, TheOldFileStaysWholeUntilTheNewOneIsClosed) {
  TempDir dir;
  dir.write("vel.csv", old_content);
  Output out = open_for_writing((dir.path() / "vel.csv").string(), unit_file);
  write_lines(out, 5000);  // about 130 kB, so most of it has been handed over
  out.flush();
  EXPECT_EQ(dir.read("vel.csv"), old_content);
  EXPECT_EQ(entries(dir).size(), 2u);  // the file and its temporary
  out.close();
  EXPECT_EQ(dir.read("vel.csv"), lines_text(5000));
  EXPECT_EQ(entries(dir), std::vector<std::string>{"vel.csv"});

  // A failure closes the output as the stack unwinds: the file then holds
  // the lines written so far, and nothing of the older content, as before.
  dir.write("vel.csv", old_content);
  {
    Output failed = open_for_writing((dir.path() / "vel.csv").string(), unit_file);
    list_write(failed, {"x"});
  }
  EXPECT_EQ(dir.read("vel.csv"), " x\n");
  EXPECT_EQ(entries(dir), std::vector<std::string>{"vel.csv"});
}

TEST(ReplacementTest, PermissionsStayAndLinksLeadToTheFileReplaced) {
  struct Case { mode_t before; mode_t after; };  // after: of a missing file
  const mode_t mask = umask(027);
  for (const Case c : {Case{0640, 0640}, {0444, 0444}, {0, 0640}}) {
    TempDir dir;
    if (c.before != 0) {
      dir.write("vel.csv", old_content);
      chmod((dir.path() / "vel.csv").c_str(), c.before);
    }
    Output out = open_for_writing((dir.path() / "vel.csv").string(), unit_file);
    out.close();
    struct stat st;
    ASSERT_EQ(::stat((dir.path() / "vel.csv").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, c.after) << c.before;
  }
  umask(mask);
  // A chain of links, relative and absolute, and a link to a missing file:
  // the last target takes the new content and the links stay links.
  TempDir dir;
  fs::create_directory(dir.path() / "data");
  dir.write("data/vel.csv", old_content);
  fs::create_symlink("data/vel.csv", dir.path() / "first");
  fs::create_symlink(dir.path() / "first", dir.path() / "second");
  fs::create_symlink("new.csv", dir.path() / "dangling");
  for (const char* name : {"second", "dangling"}) {
    Output out = open_for_writing(name, unit_file, place_in(dir.path()));
    list_write(out, {"x"});
    out.close();
  }
  EXPECT_EQ(dir.read("data/vel.csv"), " x\n");
  EXPECT_EQ(dir.read("new.csv"), " x\n");
  EXPECT_EQ(entries(dir), (std::vector<std::string>{"dangling", "data", "first", "new.csv",
                                                    "second"}));
  for (const char* link : {"first", "second", "dangling"})
    EXPECT_TRUE(fs::is_symlink(dir.path() / link)) << link;
}

TEST(ReplacementTest, AFileOfSeveralNamesIsWrittenInPlace) {
  TempDir dir;
  dir.write("vel.csv", old_content);
  fs::create_hard_link(dir.path() / "vel.csv", dir.path() / "copy.csv");
  const ino_t before = inode(dir.path() / "vel.csv");
  Output out = open_for_writing((dir.path() / "vel.csv").string(), unit_file);
  list_write(out, {"x"});
  out.close();
  EXPECT_EQ(inode(dir.path() / "vel.csv"), before);
  EXPECT_EQ(dir.read("copy.csv"), " x\n");  // every name shows the new content
}

TEST(ReplacementTest, AfterASignalRemovedTheTemporaryFileTheOldFileStays) {
  TempDir dir;
  dir.write("vel.csv", old_content);
  TempFiles temporaries;
  {
    Output out = open_for_writing("vel.csv", unit_file, place_in(dir.path(), &temporaries));
    write_lines(out, 5000);
    out.flush();
    EXPECT_EQ(temporaries.listed().size(), 1u);
    { auto hold = temporaries.remove_all(); }
  }  // closing finds nothing to put in place
  EXPECT_EQ(dir.read("vel.csv"), old_content);
  EXPECT_EQ(entries(dir), std::vector<std::string>{"vel.csv"});
}

// Without a registry of its own, an output's temporary file is listed in the
// process's, which the signal watcher empties.
TEST(ReplacementTest, EveryTemporaryFileIsListedForASignal) {
  TempDir dir;
  dir.write("vel.csv", old_content);
  Output out = open_for_writing((dir.path() / "vel.csv").string(), unit_file);
  const std::vector<std::string> listed = process_temporaries().listed();
  ASSERT_EQ(listed.size(), 1u);
  EXPECT_EQ(fs::path(listed[0]).parent_path(), dir.path());
  EXPECT_EQ(fs::path(listed[0]).filename().string().rfind(".vel.csv.", 0), 0u) << listed[0];
  out.close();
  EXPECT_TRUE(process_temporaries().listed().empty());
  EXPECT_EQ(entries(dir), std::vector<std::string>{"vel.csv"});
}

TEST(ProtectedInputsTest, AnInputIsRefusedOnlyDevicesAndMissingFilesAreNotKept) {
  TempDir dir;
  dir.write("rec.ns", old_content);
  OutputPlace place = place_in(dir.path());
  place.protect((dir.path() / "rec.ns").string(), "the record file rec.ns");
  place.protect((dir.path() / "missing.ns").string(), "nothing");
  const int null = ::open("/dev/null", O_RDONLY);
  place.protect(null, "standard input");  // a device is read and written, never replaced
  ::close(null);
  ASSERT_EQ(place.protected_inputs.size(), 1u);
  Failure f = failure_of([&] { open_for_writing("rec.ns", unit_file, place, "waveform file"); });
  EXPECT_EQ(report(f),
            "open: would replace an input file\n"
            "apparent state: unit 11 named rec.ns\n"
            "lately writing sequential formatted external IO\n"
            "The waveform file rec.ns is the same file as the record file rec.ns, "
            "which this run reads; it was left untouched.\n");
  EXPECT_EQ(dir.read("rec.ns"), old_content);
  Output device = open_for_writing("/dev/null", unit_file, place);
  device.close();
}

TEST(OpenTest, PlainWordsSayWhichFileCouldNotBeOpened) {
  TempDir dir;
  Failure r = failure_of([&] {
    open_for_reading((dir.path() / "st.ud").string(), unit_file, false, "record file");
  });
  EXPECT_EQ(r.detail, "The record file " + (dir.path() / "st.ud").string() +
                          " could not be opened: No such file or directory.");
  Failure w = failure_of(
      [&] { open_for_writing("nowhere/out.csv", unit_file, place_in(dir.path()), "waveform file"); });
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

// Runs the check where permissions bind: in a child that gave up root when
// the tests run as root, here otherwise.
void as_ordinary_user(const std::function<void()>& check) {
  if (geteuid() != 0) {
    check();
    return;
  }
  pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    if (setgid(65534) != 0 || setuid(65534) != 0) _exit(3);
    check();
    _exit(::testing::Test::HasFailure() ? 1 : 0);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

TEST(ReplacementAsUserTest, UnwritableFilesFailAndUnwritableFoldersAreWrittenInPlace) {
  TempDir dir;
  fs::create_directory(dir.path() / "locked");
  dir.write("locked/vel.csv", old_content);
  dir.write("locked/read-only.csv", old_content);
  fs::permissions(dir.path() / "locked/vel.csv", fs::perms::all);
  fs::permissions(dir.path() / "locked/read-only.csv", fs::perms::owner_read);
  // Open to the check, but no new file can be made in "locked".
  fs::permissions(dir.path(), fs::perms::all);
  fs::permissions(dir.path() / "locked", geteuid() == 0 ? fs::perms::all & ~fs::perms::others_write
                                                        : fs::perms::owner_read |
                                                              fs::perms::owner_exec);
  const ino_t before = inode(dir.path() / "locked/vel.csv");
  as_ordinary_user([&] {
    Failure f = failure_of([&] {
      open_for_writing((dir.path() / "locked/read-only.csv").string(), unit_spectrum);
    });
    EXPECT_EQ(f.context, "open");
    EXPECT_EQ(f.reason, std::strerror(EACCES));
    Output out = open_for_writing((dir.path() / "locked/vel.csv").string(), unit_file);
    list_write(out, {"x"});
    out.close();
    EXPECT_EQ(inode(dir.path() / "locked/vel.csv"), before);
  });
  EXPECT_EQ(dir.read("locked/vel.csv"), " x\n");
  EXPECT_EQ(dir.read("locked/read-only.csv"), old_content);
  fs::permissions(dir.path() / "locked", fs::perms::owner_all);
}

}  // namespace
}  // namespace smproc::textio
