// Stations found in archives: grouped by stem whatever the member's folder,
// carried in memory with the archive they came from, and what an archive
// could not give reported against its station.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "run/stations.h"
#include "support/archive_writer.h"
#include "support/run_binary.h"

namespace smproc {
namespace {

namespace fs = std::filesystem;
using testing::tar_archive;
using testing::TarMember;
using testing::TempDir;

std::string write_archive(const TempDir& t, const std::string& name, const std::string& bytes) {
  const std::string path = (t.path() / name).string();
  std::ofstream(path, std::ios::binary) << bytes;
  return path;
}

TEST(ArchiveStations, MembersAreGroupedByStemAndCarriedInMemory) {
  TempDir t;
  const std::string a = write_archive(t, "e.tgz",
                                      tar_archive({{"x/S.NS", "ns"},
                                                   {"y/S.EW", "EW upper"},
                                                   {"S.ew", "ew lower"},
                                                   {"S.UD", "ud"},
                                                   {"readme.txt", "not a record"}},
                                                  true));
  // The same archive twice is read once.
  const StationSearch s = find_stations({a, a});
  ASSERT_EQ(s.stations.size(), 1u) << s.conflict;
  EXPECT_TRUE(s.problems.empty());
  const RecordNames& r = s.stations[0].records;
  EXPECT_EQ(s.stations[0].name, "S");
  EXPECT_EQ(r.ns, a + ":x/S.NS");
  EXPECT_EQ(r.ew, a + ":S.ew");  // the lower-case member, as from a folder
  EXPECT_EQ(*r.in_memory[0].text, "ns");
  EXPECT_EQ(*r.in_memory[1].text, "ew lower");
  for (const RecordBytes& b : r.in_memory) EXPECT_EQ(b.archive, a);
}

TEST(ArchiveStations, WhatAnArchiveCannotGiveIsReportedAgainstItsStation) {
  TempDir t;
  const std::string a =
      write_archive(t, "e.tar",
                    tar_archive({{"S.NS", "1"},
                                 {"S.EW", "", TarMember::Kind::symlink, "/etc/passwd"},
                                 {"S.UD", "2"},
                                 {"d/S.UD", "3"}}));
  const StationSearch s = find_stations({a});
  EXPECT_TRUE(s.stations.empty());
  ASSERT_EQ(s.incomplete.size(), 1u);
  EXPECT_EQ(missing_components(s.incomplete[0]), a + ":S.EW: a symbolic link, not read");
  ASSERT_EQ(s.problems.size(), 1u);
  EXPECT_EQ(s.problems[0],
            a + ":d/S.UD: a second UD record of S in the archive, not read (" + a + ":S.UD is)");
}

TEST(ArchiveStations, ArchiveWithoutRecordsOrUnreadableIsAProblemNotAStation) {
  TempDir t;
  const std::string empty = write_archive(t, "none.tar", tar_archive({{"readme.txt", "x"}}));
  const std::string text = write_archive(t, "text.tgz", "plain text\n");
  const StationSearch s = find_stations({empty, text, (t.path() / "missing.tar").string()});
  EXPECT_TRUE(s.stations.empty() && s.incomplete.empty());
  ASSERT_EQ(s.problems.size(), 3u);
  EXPECT_EQ(s.problems[0], empty +
                               ": no station in this archive (no record members ending .ns, .ew, "
                               ".ud, .ns1, .ew1, .ud1, .ns2, .ew2 or .ud2, in lower or upper case)");
  EXPECT_NE(s.problems[1].find(text + ": "), std::string::npos);
  EXPECT_NE(s.problems[2].find("cannot read the archive: No such file or directory"),
            std::string::npos);
}

}  // namespace
}  // namespace smproc
