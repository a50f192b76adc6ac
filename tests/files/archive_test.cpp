#include "files/archive.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "support/archive_writer.h"
#include "support/run_binary.h"

namespace smproc::textio {
namespace {

using smproc::testing::gzip_bytes;
using smproc::testing::tar_archive;
using smproc::testing::TarMember;
using Kind = smproc::testing::TarMember::Kind;

const WantedMember everything = [](const std::string&) { return true; };

// Each member's plain file name and bytes.
std::map<std::string, std::string> files_of(const ArchiveContents& c) {
  std::map<std::string, std::string> out;
  for (const ArchiveMember& m : c.members) out[m.file] = *m.bytes;
  return out;
}

std::string joined(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& l : lines) out += l + "\n";
  return out;
}

TEST(ArchiveNames, TarTarGzAndTgzInEitherCaseOnly) {
  for (const char* yes : {"a.tar", "a.TAR", "e.knt.tar.gz", "e.kik.tar.gz", "a.tgz", "A.TGZ"})
    EXPECT_TRUE(is_archive_name(yes)) << yes;
  for (const char* no : {"a.ns", "a.NS.gz", "a.gz", ".tar", "tar", "a.tar.bz2", "a.tarx"})
    EXPECT_FALSE(is_archive_name(no)) << no;
}

TEST(ArchiveReader, PlainAndCompressedTarsGiveTheSameMembersWithoutTheirFolders) {
  const std::vector<TarMember> members = {{"event/", "", Kind::folder},
                                          {"event/st1.NS", "ns bytes\n"},
                                          {"event/deeper/st1.EW", "ew bytes\n"},
                                          {"st1.UD", ""}};
  for (bool gzip : {false, true}) {
    const ArchiveContents c = read_archive_bytes(tar_archive(members, gzip), "ev.tar", everything);
    EXPECT_EQ(joined(c.problems), "");
    EXPECT_TRUE(c.skipped.size() == 1 && c.skipped[0].why == "a folder, not read");
    ASSERT_EQ(c.members.size(), 3u);
    EXPECT_EQ(c.members[0].name, "ev.tar:event/st1.NS");
    EXPECT_EQ(c.members[1].name, "ev.tar:event/deeper/st1.EW");
    EXPECT_EQ(files_of(c),
              (std::map<std::string, std::string>{
                  {"st1.NS", "ns bytes\n"}, {"st1.EW", "ew bytes\n"}, {"st1.UD", ""}}));
  }
}

TEST(ArchiveReader, ArchivesInsideAreReadOneLevelDeepAndGzMembersInflated) {
  // NIED's form: an outer tar of .knt.tar.gz and .kik.tar.gz, members compressed or not.
  const std::string knt = tar_archive({{"A.NS", "a ns"}, {"A.EW.gz", gzip_bytes("a ew")}}, true);
  const std::string kik = tar_archive({{"B.UD", "b ud"}}, true);
  const std::string deeper = tar_archive({{"inner.tar", tar_archive({{"C.NS", "c"}})}});
  const std::string outer = tar_archive(
      {{"ev.knt.tar.gz", knt}, {"ev.kik.tar.gz", kik}, {"x/too.tar", deeper}, {"D.NS", "d"}});
  const ArchiveContents c = read_archive_bytes(outer, "ev.tar", everything);
  EXPECT_EQ(files_of(c), (std::map<std::string, std::string>{
                             {"A.NS", "a ns"}, {"A.EW", "a ew"}, {"B.UD", "b ud"}, {"D.NS", "d"}}));
  EXPECT_EQ(c.members[1].name, "ev.tar:ev.knt.tar.gz:A.EW.gz");
  ASSERT_EQ(c.problems.size(), 1u);
  EXPECT_EQ(c.problems[0],
            "ev.tar:x/too.tar:inner.tar: an archive nested 2 levels deep, not read; archives "
            "inside archives are read 1 level deep");
}

TEST(ArchiveReader, ArchiveHoldingItselfByNameStopsAtTheNestingLimit) {
  std::string self = tar_archive({{"S.NS", "s"}});
  for (int level = 0; level < 5; ++level) self = tar_archive({{"self.tar", self}});
  const ArchiveContents c = read_archive_bytes(self, "self.tar", everything);
  EXPECT_TRUE(c.members.empty());
  ASSERT_EQ(c.problems.size(), 1u);
  EXPECT_NE(c.problems[0].find("self.tar:self.tar:self.tar: an archive nested 2 levels"),
            std::string::npos);
}

TEST(ArchiveReader, OnlyRegularFilesAreReadWhateverTheirNames) {
  const std::string bytes = tar_archive({{"../../x.NS", "x ns"},
                                         {"/etc/x.EW", "x ew"},
                                         {"l.NS", "", Kind::symlink, "/etc/passwd"},
                                         {"h.NS", "", Kind::hardlink, "../../x.NS"},
                                         {"f.NS", "", Kind::fifo},
                                         {"d.NS", "", Kind::device},
                                         {"dir.NS/", "", Kind::folder}});
  const ArchiveContents c = read_archive_bytes(bytes, "a.tar", everything);
  EXPECT_EQ(files_of(c), (std::map<std::string, std::string>{{"x.NS", "x ns"}, {"x.EW", "x ew"}}));
  std::map<std::string, std::string> why;
  for (const SkippedMember& s : c.skipped) why[s.name] = s.why;
  EXPECT_EQ(why, (std::map<std::string, std::string>{
                     {"a.tar:l.NS", "a symbolic link, not read"},
                     {"a.tar:h.NS", "a hard link to another member, not read"},
                     {"a.tar:f.NS", "a FIFO, not read"},
                     {"a.tar:d.NS", "a device, not read"},
                     {"a.tar:dir.NS/", "a folder, not read"}}));
}

TEST(ArchiveReader, MembersNotWantedAreNotRead) {
  const std::string bytes =
      tar_archive({{"a.NS", "1"}, {"readme.txt", "2"}, {"b.EW.gz", gzip_bytes("3")}});
  const ArchiveContents c =
      read_archive_bytes(bytes, "a.tar", [](const std::string& f) { return f != "readme.txt"; });
  EXPECT_EQ(files_of(c), (std::map<std::string, std::string>{{"a.NS", "1"}, {"b.EW", "3"}}));
}

TEST(ArchiveReader, MemberLimitHoldsAfterDecompression) {
  ArchiveLimits limits;
  limits.member = 1000;
  const std::string exact(1000, 'e'), over(1001, 'o');
  for (bool gzip : {false, true}) {
    const std::string bytes = tar_archive({{"exact.NS", exact},
                                           {"over.NS", over},
                                           {"over.EW.gz", gzip_bytes(over)},
                                           {"after.NS", "a"}},
                                          gzip);
    const ArchiveContents c = read_archive_bytes(bytes, "a.tar", everything, limits);
    EXPECT_EQ(files_of(c),
              (std::map<std::string, std::string>{{"exact.NS", exact}, {"after.NS", "a"}}));
    ASSERT_EQ(c.skipped.size(), 2u);
    EXPECT_EQ(c.skipped[0].why, "larger than 1000 bytes after decompression, not read");
    EXPECT_EQ(c.skipped[1].file, "over.EW");
    EXPECT_TRUE(c.problems.empty());
  }
}

TEST(ArchiveReader, DecompressionBombIsInflatedNoFurtherThanTheLimit) {
  ArchiveLimits limits;
  limits.member = 1 << 20;
  // 64 MiB of zeros in some 64 KiB.
  const std::string bomb = gzip_bytes(std::string(std::size_t{64} << 20, '\0'));
  ASSERT_LT(bomb.size(), std::size_t{1} << 17);
  const std::string bytes = tar_archive({{"bomb.NS.gz", bomb}, {"next.NS", "n"}});
  const ArchiveContents c = read_archive_bytes(bytes, "a.tar", everything, limits);
  EXPECT_EQ(files_of(c), (std::map<std::string, std::string>{{"next.NS", "n"}}));
  ASSERT_EQ(c.skipped.size(), 1u);
  EXPECT_EQ(c.skipped[0].why, "larger than 1 MiB after decompression, not read");
  EXPECT_LT(c.decompressed, std::uint64_t{2} << 20);
}

TEST(ArchiveReader, TotalLimitStopsTheWholeArgumentAndSaysSo) {
  ArchiveLimits limits;
  limits.total = 2500;
  const std::string k(1000, 'k');
  const std::string inner = tar_archive({{"c.NS", k}, {"d.NS", k}}, true);
  const std::string bytes = tar_archive({{"a.NS", k}, {"in.tgz", inner}, {"e.NS", k}});
  const ArchiveContents c = read_archive_bytes(bytes, "a.tar", everything, limits);
  EXPECT_EQ(files_of(c), (std::map<std::string, std::string>{{"a.NS", k}, {"c.NS", k}}));
  ASSERT_EQ(c.problems.size(), 1u);
  EXPECT_EQ(
      c.problems[0],
      "a.tar:in.tgz: more than 2500 bytes decompressed from one archive; the rest is not read");
  ASSERT_EQ(c.skipped.size(), 1u);
  EXPECT_EQ(c.skipped[0].name, "a.tar:in.tgz:d.NS");
}

TEST(ArchiveReader, TruncatedArchiveKeepsEveryMemberReadWholeAndReportsTheDamage) {
  std::vector<TarMember> members;
  for (int k = 0; k < 6; ++k) {
    std::string name = "m";
    name += std::to_string(k);
    members.push_back({name + ".NS", std::string(3000 + 97 * k, static_cast<char>('a' + k))});
  }
  // Where each member's data ends in the plain tar: a 512-byte header, the
  // data, padding to the next 512.
  std::vector<std::size_t> data_end;
  for (std::size_t at = 0; const TarMember& m : members) {
    data_end.push_back(at + 512 + m.content.size());
    at += 512 + (m.content.size() + 511) / 512 * 512;
  }
  for (bool gzip : {false, true}) {
    const std::string whole = tar_archive(members, gzip);
    ASSERT_EQ(files_of(read_archive_bytes(whole, "a.tar", everything)).size(), 6u);
    std::size_t read_before = 0;
    for (std::size_t cut = 0; cut < whole.size(); cut += gzip ? 7 : 211) {
      const ArchiveContents c = read_archive_bytes(whole.substr(0, cut), "a.tar", everything);
      if (!gzip) {
        const auto whole_members = static_cast<std::size_t>(std::count_if(
            data_end.begin(), data_end.end(), [&](std::size_t e) { return e <= cut; }));
        EXPECT_EQ(c.members.size(), whole_members) << "cut at " << cut;
      }
      // The longer the bytes, the more is read: a cut never loses members before it.
      EXPECT_GE(c.members.size(), read_before) << cut;
      read_before = c.members.size();
      // Whatever is read is a member whole, in order; the damage is told.
      for (std::size_t k = 0; k < c.members.size(); ++k) {
        EXPECT_EQ(c.members[k].file, members[k].path) << cut;
        EXPECT_EQ(*c.members[k].bytes, members[k].content) << cut;
      }
      const bool all_read = c.members.size() == members.size();
      EXPECT_TRUE(all_read || !c.problems.empty()) << "cut at " << cut << " of " << whole.size();
    }
    // Only the gzip trailer gone: every member is there whole, and read.
    if (gzip) {
      EXPECT_EQ(
          read_archive_bytes(whole.substr(0, whole.size() - 8), "a.tar", everything).members.size(),
          6u);
    }
  }
}

TEST(ArchiveReader, DamagedGzMemberFailsAloneNotTheArchive) {
  std::string broken = gzip_bytes(std::string(5000, 'z'));
  broken.resize(broken.size() / 2);
  const std::string bytes = tar_archive(
      {{"plain.NS.gz", "not compressed at all"}, {"cut.EW.gz", broken}, {"ok.UD", "u"}});
  const ArchiveContents c = read_archive_bytes(bytes, "a.tar", everything);
  EXPECT_EQ(files_of(c), (std::map<std::string, std::string>{{"ok.UD", "u"}}));
  ASSERT_EQ(c.skipped.size(), 2u);
  EXPECT_EQ(c.skipped[0].why, "not read: not gzip-compressed");
  EXPECT_EQ(c.skipped[1].file, "cut.EW");
  EXPECT_TRUE(c.problems.empty()) << joined(c.problems);
}

TEST(ArchiveReader, NotAnArchiveOrNotARegularFileIsOneProblem) {
  EXPECT_EQ(joined(read_archive_bytes("just text, no tar\n", "a.tar", everything).problems),
            "a.tar: not a readable archive (Unrecognized archive format)\n");
  smproc::testing::TempDir dir;
  const std::string missing = (dir.path() / "none.tar").string();
  EXPECT_EQ(joined(read_archive_file(missing, everything).problems),
            missing + ": cannot read the archive: No such file or directory\n");
  EXPECT_EQ(joined(read_archive_file(dir.path().string(), everything).problems),
            dir.path().string() + ": not a regular file\n");
}

}  // namespace
}  // namespace smproc::textio
