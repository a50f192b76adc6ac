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
        Case{"st", "st"}, Case{".ns", ".ns"}, Case{"st.ns.ew", "st.ns"}, Case{"a/k.NS1", "a/k"},
        Case{"k.ew2", "k"}, Case{"k.UD2", "k"}, Case{"k.NS3", "k.NS3"}, Case{"k.Ns1", "k.Ns1"},
        Case{"a/..ns", "a/..ns"}})
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

TEST(FindStations, EachKikNetSensorIsAStationOfItsOwn) {
  TempDir t;
  const fs::path d = t.path() / "event";
  touch_all(d, "K1", ".NS1", ".EW1", ".UD1");
  touch_all(d, "K1", ".NS2", ".EW2", ".UD2");
  touch_all(d, "K2", ".ns2", ".ew2", ".ud2");  // one sensor only: still named by it
  touch(d / "K3.NS1");
  touch(d / "K3.EW1");
  touch_all(d, "K4", ".ns", ".ew", ".ud");  // K-NET and KiK-net beside each other
  touch_all(d, "K4", ".NS2", ".EW2", ".UD2");
  touch_all(d, "K5", ".NS1", ".EW2", ".UD1");  // two sensors, neither whole
  touch_all(d, "K6", ".NS3", ".Ew1", ".ud12");  // no record endings

  const StationSearch s = find_stations({d.string()});
  EXPECT_EQ(names_of(s), (std::vector<std::string>{"K1_borehole", "K1_surface", "K2_surface",
                                                   "K4", "K4_surface"}));
  ASSERT_EQ(s.stations.size(), 5u);
  const Station& b = s.stations[0];
  EXPECT_EQ(b.sensor, Sensor::borehole);
  EXPECT_EQ(b.records.ns, (d / "K1.NS1").string());
  EXPECT_EQ(b.records.ew, (d / "K1.EW1").string());
  EXPECT_EQ(b.records.ud, (d / "K1.UD1").string());
  EXPECT_EQ(s.stations[1].sensor, Sensor::surface);
  EXPECT_EQ(s.stations[1].records.ud, (d / "K1.UD2").string());
  EXPECT_EQ(s.stations[2].records.ew, (d / "K2.ew2").string());
  EXPECT_EQ(s.stations[3].sensor, Sensor::none);
  EXPECT_EQ(s.stations[3].records.ns, (d / "K4.ns").string());
  EXPECT_EQ(s.stations[4].records.ns, (d / "K4.NS2").string());
  ASSERT_EQ(s.incomplete.size(), 3u);
  EXPECT_EQ(s.incomplete[0].name, "K3_borehole");
  EXPECT_EQ(missing_components(s.incomplete[0]), "missing UD");
  EXPECT_EQ(s.incomplete[1].name, "K5_borehole");
  EXPECT_EQ(missing_components(s.incomplete[1]), "missing EW");
  EXPECT_EQ(s.incomplete[2].name, "K5_surface");
  EXPECT_EQ(missing_components(s.incomplete[2]), "missing NS and UD");
  EXPECT_TRUE(s.problems.empty());
  EXPECT_TRUE(s.conflict.empty());
}

TEST(FindStations, AKikNetFileNamesItsSetAndABareStemBoth) {
  TempDir t;
  const fs::path d = t.path() / "data";
  touch_all(d, "K", ".NS1", ".EW1", ".UD1");
  touch_all(d, "K", ".NS2", ".EW2", ".UD2");
  const std::string k = (d / "K").string();
  struct Case {
    std::vector<std::string> args;
    std::vector<std::string> names;
  };
  const Case cases[] = {
      {{k}, {"K_borehole", "K_surface"}},
      {{k + ".NS2"}, {"K_surface"}},
      {{k + ".ud1"}, {"K_borehole"}},  // the other case of a file that exists
      {{k + ".EW1", k + ".UD1", k + ".NS2"}, {"K_borehole", "K_surface"}},
      {{k + ".NS1", k, d.string()}, {"K_borehole", "K_surface"}},
  };
  for (const Case& c : cases) {
    const StationSearch s = find_stations(c.args);
    EXPECT_EQ(names_of(s), c.names) << c.args[0];
    EXPECT_TRUE(s.incomplete.empty()) << c.args[0];
    EXPECT_TRUE(s.problems.empty()) << c.args[0];
    EXPECT_TRUE(s.conflict.empty()) << c.args[0];
  }
}

TEST(FindStations, AKnetStemNamedLikeAKikNetSensorIsAConflict) {
  TempDir t;
  const fs::path d = t.path() / "event";
  touch_all(d, "X_surface", ".ns", ".ew", ".ud");
  touch_all(d, "X", ".NS2", ".EW2", ".UD2");
  touch_all(d, "X", ".NS1", ".EW1", ".UD1");
  const StationSearch s = find_stations({d.string()});
  EXPECT_EQ(s.conflict, "two stations are named X_surface (the surface sensor of " +
                            (d / "X").string() + " and " + (d / "X_surface").string() +
                            "); their outputs would share one folder");
  // Across folders, by stem and by file alike.
  touch_all(t.path() / "other", "X_borehole", ".NS", ".EW", ".UD");
  const StationSearch across =
      find_stations({(d / "X.UD1").string(), (t.path() / "other" / "X_borehole").string()});
  EXPECT_NE(across.conflict.find("two stations are named X_borehole"), std::string::npos)
      << across.conflict;
}

TEST(ComponentEnding, ABareStemChoosesOneSetForTheDialogue) {
  TempDir t;
  const fs::path d = t.path();
  touch_all(d, "both", ".NS1", ".EW1", ".UD1");
  touch_all(d, "both", ".NS2", ".EW2", ".UD2");
  touch_all(d, "lower", ".ns1", ".ew1", ".ud1");
  touch_all(d, "lower", ".ns2", ".ew2", ".ud2");
  touch_all(d, "surface", ".NS2", ".EW2", ".UD2");
  touch(d / "borehole.UD1");  // one file of one set is that set
  touch_all(d, "knet", ".ns", ".ew", ".ud");
  touch_all(d, "knet", ".NS1", ".EW1", ".UD1");
  touch_all(d, "knet", ".NS2", ".EW2", ".UD2");
  const std::string both = (d / "both").string(), lower = (d / "lower").string();
  struct Case {
    std::string name;
    std::string stem;
    Sensor sensor;
    std::string ambiguity;
    int sets;
  };
  const Case cases[] = {
      {both, both, Sensor::none,
       both + " has the records of two sensors: name one of their files, " + both +
           ".NS1 (borehole) or " + both + ".NS2 (surface)",
       2},
      {lower, lower, Sensor::none,
       lower + " has the records of two sensors: name one of their files, " + lower +
           ".ns1 (borehole) or " + lower + ".ns2 (surface)",
       2},
      {both + ".EW2", both, Sensor::surface, "", 1},
      {both + ".ud1", both, Sensor::borehole, "", 1},  // a file's set, whether or not it exists
      {(d / "surface").string(), (d / "surface").string(), Sensor::surface, "", 1},
      {(d / "borehole").string(), (d / "borehole").string(), Sensor::borehole, "", 1},
      {(d / "knet").string(), (d / "knet").string(), Sensor::none, "", 3},  // as before
      {(d / "none").string(), (d / "none").string(), Sensor::none, "", 0},
  };
  for (const Case& c : cases) {
    const SetChoice set = choose_set(c.name);
    EXPECT_EQ(set.stem, c.stem) << c.name;
    EXPECT_EQ(set.sensor, c.sensor) << c.name;
    EXPECT_EQ(set.ambiguity, c.ambiguity) << c.name;
    EXPECT_EQ(set.sets, c.sets) << c.name;
  }
  const RecordNames r = dialogue_records((d / "borehole").string(), Sensor::borehole);
  EXPECT_EQ(r.ns, (d / "borehole.ns1").string());  // neither: the lower-case name is reported
  EXPECT_EQ(r.ud, (d / "borehole.UD1").string());
  EXPECT_FALSE(r.create_missing);
}

}  // namespace
}  // namespace smproc
