// An event read straight from its archives: the same outputs as from the
// unpacked files, and every kind of bad archive a report of its own, with
// the other stations processed and nothing written outside -o.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "support/archive_writer.h"
#include "support/event_records.h"
#include "support/run_binary.h"

namespace smproc::testing {
namespace {

namespace fs = std::filesystem;
using Kind = TarMember::Kind;

const std::vector<std::string> options = {"--bandpass", "0.1,0.2,20,25", "--integrate",
                                          "once",       "--waveform",    "vel.csv"};

std::vector<std::string> with(std::vector<std::string> a, const std::vector<std::string>& more) {
  a.insert(a.end(), more.begin(), more.end());
  return a;
}

// The record files of a folder as members, under `folder` in the archive,
// each gzip-compressed on its own when `gz` is set.
std::vector<TarMember> members_of(const fs::path& dir, const std::string& folder, bool gz = false) {
  std::vector<TarMember> out;
  for (const auto& [name, bytes] : file_tree(dir))
    out.push_back(gz ? TarMember{folder + name + ".gz", gzip_bytes(bytes)}
                     : TarMember{folder + name, bytes});
  return out;
}

void write_bytes(const fs::path& p, const std::string& bytes) {
  fs::create_directories(p.parent_path());
  std::ofstream(p, std::ios::binary) << bytes;
}

bool has_line(const std::string& text, const std::string& line) {
  return text.find(line + "\n") != std::string::npos;
}

TEST(ArchiveEvent, OutputsAreByteIdenticalToThoseOfTheUnpackedFiles) {
  TempDir dir;
  const fs::path knt = dir.path() / "knt", kik = dir.path() / "kik";
  write_station(knt, "AKT0011801241051", 3000, 1, {}, {".NS", ".EW", ".UD"});
  write_station(knt, "AKT0021801241051", 2400, 7, {}, {".NS", ".EW", ".UD"});
  write_station(kik, "AKTH011801241051", 2000, 13, {}, {".ns", ".ew", ".ud"});
  const Outcome unpacked =
      run_smproc(dir.path(), "", with(options, {"-o", "folders", "knt", "kik"}));
  ASSERT_EQ(unpacked.status, 0) << unpacked.err;
  const std::map<std::string, std::string> expected = file_tree(dir.path() / "folders");

  struct Case {
    const char* what;
    std::vector<std::string> archives;  // relative names
  };
  // NIED's forms: the event's outer tar of compressed tars, or those alone;
  // and plain tars with folders inside, records compressed one by one.
  const std::string knt_tgz = tar_archive(members_of(knt, "knt/"), true);
  const std::string kik_tgz = tar_archive(members_of(kik, ""), true);
  write_bytes(dir.path() / "a/20180124105100.tar",
              tar_archive({{"20180124105100.knt.tar.gz", knt_tgz},
                           {"20180124105100.kik.tar.gz", kik_tgz}}));
  write_bytes(dir.path() / "b/e.knt.tar.gz", knt_tgz);
  write_bytes(dir.path() / "b/e.kik.tgz", kik_tgz);
  write_bytes(dir.path() / "c/knt.tar", tar_archive(members_of(knt, "deep/er/", true)));
  write_bytes(dir.path() / "c/kik.TAR", tar_archive(members_of(kik, "", true)));
  const Case cases[] = {
      {"outer tar of .knt.tar.gz and .kik.tar.gz", {"a/20180124105100.tar"}},
      {"the compressed tars alone", {"b/e.knt.tar.gz", "b/e.kik.tgz"}},
      {"plain tars of gz members in folders", {"c/knt.tar", "c/kik.TAR"}},
  };
  for (const Case& c : cases) {
    const std::string out = std::string("out_") + c.archives[0].substr(0, 1);
    const Outcome o = run_smproc(dir.path(), "", with(with(options, {"-o", out}), c.archives));
    EXPECT_EQ(o.status, 0) << c.what << "\n" << o.err;
    EXPECT_EQ(o.out, unpacked.out) << c.what;
    EXPECT_EQ(file_tree(dir.path() / out), expected) << c.what;
  }
}

TEST(ArchiveEvent, OneStationInAnArchiveRunsAsTheDialogueWould) {
  TempDir dir;
  write_station(dir.path() / "rec", "ST", 1600, 3);
  write_bytes(dir.path() / "st.tgz", tar_archive(members_of(dir.path() / "rec", ""), true));
  const Outcome from_files = run_smproc(dir.path() / "rec", "", with(options, {"ST"}));
  const Outcome from_archive = run_smproc(dir.path(), "", with(options, {"st.tgz"}));
  ASSERT_EQ(from_files.status, 0) << from_files.err;
  EXPECT_EQ(from_archive.status, 0) << from_archive.err;
  EXPECT_EQ(from_archive.out, from_files.out);
  EXPECT_EQ(dir.read("vel.csv"), dir.read("rec/vel.csv"));
  EXPECT_EQ(dir.read("amp3.csv"), dir.read("rec/amp3.csv"));
}

TEST(ArchiveEvent, BadArchivesFailWhatTheyHoldAndLeaveTheOtherStationsProcessed) {
  const std::string bomb = gzip_bytes(std::string((std::size_t{64} << 20) + 1, '0'));
  struct Case {
    const char* what;
    // Members of bad.tar besides a good station GOOD; the station they
    // spoil, if any, is BAD.
    std::vector<TarMember> members;
    std::string err_line;   // a line standard error must hold
    bool bad_runs = false;  // BAD is run (and fails) rather than not processed
  };
  TempDir records;
  write_station(records.path(), "BAD", 800, 5);
  const std::string ns = records.read("BAD.ns"), ew = records.read("BAD.ew"),
                    ud = records.read("BAD.ud");
  std::string bad_scale = ns;
  {
    // The scale line's numerator field holds a letter.
    std::size_t at = 0;
    for (int line = 0; line < 13; ++line) at = bad_scale.find('\n', at) + 1;
    bad_scale[at + 19] = 'x';
  }
  const std::vector<TarMember> bad_rest = {{"BAD.ew", ew}, {"BAD.ud", ud}};
  auto plus_rest = [&](TarMember m) {
    std::vector<TarMember> out = {m};
    out.insert(out.end(), bad_rest.begin(), bad_rest.end());
    return out;
  };
  std::string cut_gz = gzip_bytes(ns);
  cut_gz.resize(cut_gz.size() / 2);
  const Case cases[] = {
      {"a corrupt header line in a member", plus_rest({"ev/BAD.ns", bad_scale}),
       "smproc: BAD: fmt: read unexpected character; apparent state: unit 11 named "
       "bad.tar:ev/BAD.ns; "
       "last format: (18X,F4.0,6X,F10.0); lately reading sequential formatted external IO; "
       "Line 14 of the record file bad.tar:ev/BAD.ns could not be read.",
       true},
      {"an unreadable (cut) gz member", plus_rest({"BAD.ns.gz", cut_gz}),
       "smproc: BAD: not processed: bad.tar:BAD.ns.gz: not read: truncated gzip input"},
      {"a symbolic link member", plus_rest({"BAD.ns", "", Kind::symlink, "/etc/passwd"}),
       "smproc: BAD: not processed: bad.tar:BAD.ns: a symbolic link, not read"},
      {"a decompression bomb", plus_rest({"BAD.ns.gz", bomb}),
       "smproc: BAD: not processed: bad.tar:BAD.ns.gz: larger than 64 MiB after decompression, "
       "not read"},
      {"nesting deeper than one level",
       {{"in.tar", tar_archive({{"deeper.tgz", tar_archive({{"BAD.ns", ns}}, true)}})}},
       "smproc: bad.tar:in.tar:deeper.tgz: an archive nested 2 levels deep, not read; archives "
       "inside archives are read 1 level deep"},
  };
  for (const Case& c : cases) {
    TempDir dir;
    write_station(dir.path() / "event", "GOOD", 800, 1);
    write_bytes(dir.path() / "run/bad.tar", tar_archive(c.members));
    const Outcome o =
        run_smproc(dir.path() / "run", "", with(options, {"-o", "out", "../event", "bad.tar"}));
    EXPECT_EQ(o.status, 2) << c.what;
    if (!c.err_line.empty()) {
      EXPECT_TRUE(has_line(o.err, c.err_line)) << c.what << "\n" << o.err;
    }
    EXPECT_TRUE(dir.exists("run/out/GOOD/vel.csv")) << c.what;
    // Nothing beside the records, the archive and the outputs.
    std::vector<std::string> top;
    for (const auto& e : fs::directory_iterator(dir.path() / "run"))
      top.push_back(e.path().filename());
    EXPECT_EQ(top.size(), 2u) << c.what;
    EXPECT_EQ(file_tree(dir.path() / "event").size(), 3u) << c.what;
    EXPECT_EQ(fs::exists(dir.path() / "run/out/BAD/console.txt"), c.bad_runs) << c.what;
    const std::string summary = dir.read("run/out/summary.csv");
    EXPECT_NE(summary.find("GOOD,ok,"), std::string::npos) << c.what;
  }
}

TEST(ArchiveEvent, MemberNamedOutsideTheFolderIsProcessedAsItsStemOnly) {
  TempDir dir;
  write_station(dir.path() / "rec", "X", 800, 2);
  write_bytes(dir.path() / "run/x.tar", tar_archive({{"../../X.ns", dir.read("rec/X.ns")},
                                                     {"/tmp/X.ew", dir.read("rec/X.ew")},
                                                     {"a/../../X.ud", dir.read("rec/X.ud")}}));
  const Outcome o = run_smproc(dir.path() / "run", "", with(options, {"-o", "out", "x.tar"}));
  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_TRUE(dir.exists("run/out/X/vel.csv"));
  EXPECT_EQ(file_tree(dir.path() / "rec").size(), 3u);
  EXPECT_FALSE(fs::exists(dir.path() / "X.ns"));
}

TEST(ArchiveEvent, TruncatedArchiveProcessesTheStationsReadWholeBeforeTheDamage) {
  TempDir dir;
  const fs::path rec = dir.path() / "rec";
  write_station(rec, "A", 800, 1);
  write_station(rec, "B", 800, 4);
  std::vector<TarMember> members = members_of(rec, "");  // A.ew A.ns A.ud B.ew B.ns B.ud
  std::string whole = tar_archive(members, true);
  whole.resize(whole.size() * 3 / 4);
  write_bytes(dir.path() / "cut.tgz", whole);
  const Outcome o = run_smproc(dir.path(), "", with(options, {"-o", "out", "cut.tgz"}));
  EXPECT_EQ(o.status, 2);
  EXPECT_NE(o.err.find("smproc: cut.tgz: the archive is damaged "), std::string::npos) << o.err;
  EXPECT_TRUE(dir.exists("out/A/vel.csv")) << o.err;
  EXPECT_NE(dir.read("out/summary.csv").find("B,incomplete: missing"), std::string::npos);
}

TEST(ArchiveEvent, ArchiveThatAnOutputWouldReplaceIsRefused) {
  TempDir dir;
  write_station(dir.path() / "rec", "S", 800, 1);
  const std::string tar = tar_archive(members_of(dir.path() / "rec", ""));
  // In the folder its station's outputs replace whole.
  write_bytes(dir.path() / "out/S/s.tar", tar);
  Outcome o = run_smproc(dir.path(), "", with(options, {"-o", "out", "out/S/s.tar"}));
  EXPECT_EQ(o.status, 2);
  EXPECT_TRUE(has_line(o.err,
                       "smproc: S: out/S holds the archive out/S/s.tar, which replacing "
                       "the folder would remove; it is left as it is"))
      << o.err;
  EXPECT_EQ(dir.read("out/S/s.tar"), tar);
  // As the answers file.
  write_bytes(dir.path() / "s.tar", tar);
  o = run_smproc(dir.path(), "", {"--answers", "s.tar", "-o", "out2", "s.tar"});
  EXPECT_EQ(o.status, 2);
  EXPECT_EQ(o.err, "smproc: s.tar is both an archive of records and the answers file\n");
  EXPECT_FALSE(fs::exists(dir.path() / "out2"));
  // As the waveform file of the one station it holds.
  o = run_smproc(dir.path(), "", {"--waveform", "s.tar", "s.tar"});
  EXPECT_EQ(o.status, 2);
  EXPECT_NE(o.err.find("would replace an input file"), std::string::npos) << o.err;
  EXPECT_EQ(dir.read("s.tar"), tar);
}

TEST(ArchiveEvent, StemInAnArchiveAndOnDiskIsANameConflict) {
  TempDir dir;
  write_station(dir.path() / "rec", "S", 800, 1);
  write_bytes(dir.path() / "s.tgz", tar_archive(members_of(dir.path() / "rec", "x/"), true));
  const Outcome o = run_smproc(dir.path(), "", with(options, {"-o", "out", "rec", "s.tgz"}));
  EXPECT_EQ(o.status, 2);
  EXPECT_NE(o.err.find("two stations are named S ("), std::string::npos) << o.err;
  EXPECT_NE(o.err.find("s.tgz:x/S"), std::string::npos) << o.err;
  EXPECT_FALSE(fs::exists(dir.path() / "out"));
}

TEST(ArchiveEvent, TheDialogueSendsArchivesToTheEventMode) {
  TempDir dir;
  write_bytes(dir.path() / "e.tar", tar_archive({}));
  const Outcome o = run_smproc(dir.path(), "", {"e.tar"});
  EXPECT_EQ(o.status, 2);
  EXPECT_NE(o.err.find("e.tar is an archive; archives are read without the dialogue: give "
                       "--answers or answer options"),
            std::string::npos)
      << o.err;
}

}  // namespace
}  // namespace smproc::testing
