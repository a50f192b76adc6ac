// Finding the stations of an event: by folder, stem or file; either case of
// ending; incomplete stems reported; nested folders and other files ignored.
#include "run/stations.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/run_binary.h"

namespace smproc {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;

void touch(const fs::path& p) {
  fs::create_directories(p.parent_path());
  std::ofstream(p) << "x\n";
}

void touch_all(const fs::path& dir, const std::string& stem, const char* a, const char* b,
               const char* c) {
  for (const char* e : {a, b, c}) touch(dir / (stem + e));
}

std::vector<std::string> names_of(const StationSearch& s) {
  std::vector<std::string> n;
  for (const Station& st : s.stations) n.push_back(st.name);
  return n;
}

TEST(FindStations, FolderHoldsStationsOfEitherCase) {
  TempDir t;
  const fs::path d = t.path() / "event";
  touch_all(d, "A0010410231756", ".NS", ".EW", ".UD");
  touch_all(d, "b002", ".ns", ".ew", ".ud");
  touch_all(d, "D", ".ns", ".ew", ".ud");
  touch(d / "D.NS");  // both endings: the lower-case one is read
  touch(d / "C.NS");
  touch(d / "C.EW");
  touch(d / "E.ud");
  // Not records of this folder: other endings, mixed case, bare endings,
  // a nested station, a folder with a record's ending.
  touch(d / "notes.txt");
  touch(d / "F.csv");
  touch_all(d, "G", ".Ns", ".Ew", ".Ud");
  touch(d / ".ns");
  touch_all(d, ".", ".ns", ".ew", ".ud");  // "..ns": its stem would be the folder itself
  touch_all(d / "nested", "H", ".ns", ".ew", ".ud");
  fs::create_directories(d / "I.ns");

  const StationSearch s = find_stations({d.string()});
  EXPECT_EQ(names_of(s), (std::vector<std::string>{"A0010410231756", "D", "b002"}));
  ASSERT_EQ(s.stations.size(), 3u);
  const Station& a = s.stations[0];
  EXPECT_EQ(a.records.ns, (d / "A0010410231756.NS").string());
  EXPECT_EQ(a.records.ew, (d / "A0010410231756.EW").string());
  EXPECT_EQ(a.records.ud, (d / "A0010410231756.UD").string());
  EXPECT_FALSE(a.records.create_missing);
  EXPECT_EQ(s.stations[1].records.ns, (d / "D.ns").string());
  ASSERT_EQ(s.incomplete.size(), 2u);
  EXPECT_EQ(s.incomplete[0].name, "C");
  EXPECT_EQ(missing_components(s.incomplete[0]), "missing UD");
  EXPECT_EQ(s.incomplete[1].name, "E");
  EXPECT_EQ(missing_components(s.incomplete[1]), "missing NS and EW");
  EXPECT_TRUE(s.problems.empty());
  EXPECT_TRUE(s.conflict.empty());
}

TEST(FindStations, StemsAndFilesNameStationsEachOnce) {
  TempDir t;
  const fs::path d = t.path() / "data";
  touch_all(d, "X", ".NS", ".EW", ".UD");
  touch_all(d, "y", ".ns", ".ew", ".ud");
  const std::string x = (d / "X").string();
  // The same station by stem, by two of its files, by a path with "." in
  // it, and by its folder.
  const StationSearch s =
      find_stations({x, x + ".EW", (d / "X.UD").string(), (d / "." / "X").string(), d.string(),
                     (d / "y.ud").string()});
  EXPECT_EQ(names_of(s), (std::vector<std::string>{"X", "y"}));
  EXPECT_TRUE(s.incomplete.empty());
  EXPECT_TRUE(s.problems.empty());
  EXPECT_TRUE(s.conflict.empty());
}

TEST(FindStations, ArgumentsNamingNoStationAreProblems) {
  TempDir t;
  fs::create_directories(t.path() / "empty");
  touch(t.path() / "only_nested" / "deeper" / "Z.ns");
  touch(t.path() / "notes.txt");
  const StationSearch s =
      find_stations({(t.path() / "nothing").string(), (t.path() / "empty").string(),
                     (t.path() / "only_nested").string(), (t.path() / "notes.txt").string()});
  EXPECT_TRUE(s.stations.empty());
  EXPECT_TRUE(s.incomplete.empty());
  ASSERT_EQ(s.problems.size(), 4u);
  EXPECT_EQ(s.problems[0].rfind((t.path() / "nothing").string() + ": no station", 0), 0u)
      << s.problems[0];
  EXPECT_EQ(s.problems[1].rfind((t.path() / "empty").string() + ": no station in this folder", 0),
            0u)
      << s.problems[1];
  EXPECT_NE(s.problems[2].find("sub folders are not searched"), std::string::npos);
}

TEST(FindStations, SameNameInTwoFoldersIsAConflict) {
  TempDir t;
  touch_all(t.path() / "a", "S", ".ns", ".ew", ".ud");
  touch_all(t.path() / "b", "S", ".NS", ".EW", ".UD");
  const StationSearch s = find_stations({(t.path() / "a").string(), (t.path() / "b").string()});
  EXPECT_NE(s.conflict.find("two stations are named S"), std::string::npos) << s.conflict;
}

TEST(ComponentEnding, SixEndingsAreDropped) {
  struct Case {
    const char* name;
    const char* stem;
  };
  for (const Case& c :
       {Case{"a/st.ns", "a/st"}, Case{"st.ew", "st"}, Case{"st.ud", "st"}, Case{"st.NS", "st"},
        Case{"st.EW", "st"}, Case{"st.UD", "st"}, Case{"st.Ns", "st.Ns"}, Case{"st.nsx", "st.nsx"},
        Case{"st", "st"}, Case{".ns", ".ns"}, Case{"st.ns.ew", "st.ns"}})
    EXPECT_EQ(drop_component_ending(c.name), c.stem) << c.name;
}

TEST(ComponentEnding, DialogueLooksForEitherCase) {
  TempDir t;
  const std::string stem = (t.path() / "st").string();
  touch(stem + ".NS");
  touch(stem + ".ew");
  touch(stem + ".EW");
  const RecordNames r = dialogue_records(stem);
  EXPECT_EQ(r.ns, stem + ".NS");
  EXPECT_EQ(r.ew, stem + ".ew");
  EXPECT_EQ(r.ud, stem + ".ud");  // neither: the run reports the lower-case name
  EXPECT_FALSE(r.create_missing);
}

}  // namespace
}  // namespace smproc
