// KiK-net records: each sensor's set (.NS1 .EW1 .UD1 borehole, .NS2 .EW2 .UD2
// surface) is a station of its own, named STEM_borehole or STEM_surface, and
// gives the files the same records give under K-NET's endings; a bare stem
// with both sets is no choice in the dialogue; a file of the other sensor is
// named.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>

#include "support/event_records.h"
#include "support/run_binary.h"

namespace smproc::testing {
namespace {

namespace fs = std::filesystem;

const char* const velocity = "0\n1\n0.1 0.2 20 25\n1\n0\n0\nvel.csv\n\n";

// One component's record as KiK-net's headers state it: direction `code`.
std::string kiknet_record(int n, int seed, int component, int code) {
  std::string text = station_record(n, seed, component);
  const char* const knet[] = {"N-S", "E-W", "U-D"};
  const std::string line = std::string("Dir.              ") + knet[component];
  text.replace(text.find(line), line.size(), "Dir.              " + std::to_string(code));
  return text;
}

// The borehole (seeds 10..12, codes 1-3) and surface (seeds 20..22, codes
// 4-6) records of a station, as `write` names them.
void write_sensors(const std::function<void(bool surface, int component, const std::string&)>& write) {
  for (bool surface : {false, true})
    for (int c = 0; c < 3; ++c)
      write(surface, c, kiknet_record(2000, (surface ? 20 : 10) + c, c, (surface ? 4 : 1) + c));
}

// STEM and an ending, and the sensor's digit when one is given.
std::string file_name(std::string stem, const char* ending, const char* digit = "") {
  stem += ending;
  stem += digit;
  return stem;
}

void write_to(const fs::path& p, const std::string& text) {
  fs::create_directories(p.parent_path());
  std::ofstream(p, std::ios::binary) << text;
}

// The files below a folder that lie in its sub folder `sub`, by their name there.
std::map<std::string, std::string> files_in(const std::map<std::string, std::string>& tree,
                                            const std::string& sub) {
  std::map<std::string, std::string> out;
  for (const auto& [name, content] : tree)
    if (name.rfind(sub + "/", 0) == 0) out[name.substr(sub.size() + 1)] = content;
  return out;
}

TEST(KikNet, AFolderWithBothSensorsIsTwoStationsLikeTheirKnetCopies) {
  TempDir dir;
  const char* const ends[] = {".NS", ".EW", ".UD"};
  const char* const knet[] = {".ns", ".ew", ".ud"};
  write_sensors([&](bool surface, int c, const std::string& text) {
    write_to(dir.path() / "event" / file_name("K", ends[c], surface ? "2" : "1"), text);
    // The same records renamed by hand, as users had to.
    write_to(dir.path() / "copies" / file_name(surface ? "K_surface" : "K_borehole", knet[c]), text);
  });
  dir.write("velocity.answers", velocity);
  const Outcome o = run_smproc(dir.path(), "", {"--answers", "velocity.answers", "-o", "out", "event"});
  const Outcome copies =
      run_smproc(dir.path(), "", {"--answers", "velocity.answers", "-o", "copied", "copies"});
  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_EQ(o.err, "");  // no direction warning: each header states its sensor's codes
  EXPECT_EQ(copies.status, 0) << copies.err;

  const auto tree = file_tree(dir.path() / "out");
  const auto copied = file_tree(dir.path() / "copied");
  for (const char* station : {"K_borehole", "K_surface"}) {
    const auto files = files_in(tree, station);
    EXPECT_EQ(files.size(), 4u) << station;  // amp3.csv, vel.csv, console.txt, answers.txt
    EXPECT_EQ(files, files_in(copied, station)) << station;
  }
  ASSERT_EQ(tree.count("summary.csv"), 1u);
  const auto rows = lines_of(tree.at("summary.csv"));
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[1].rfind("K_borehole,ok,", 0), 0u) << rows[1];
  EXPECT_EQ(rows[2].rfind("K_surface,ok,", 0), 0u) << rows[2];
  // The two sensors' records differ, and so do their results.
  EXPECT_NE(tree.at("K_borehole/vel.csv"), tree.at("K_surface/vel.csv"));
}

TEST(KikNet, OneStemWithBothSetsWithoutAFolderIsTwoStationsHere) {
  TempDir dir;
  const char* const ends[] = {".NS", ".EW", ".UD"};
  write_sensors([&](bool surface, int c, const std::string& text) {
    write_to(dir.path() / "event" / file_name("K", ends[c], surface ? "2" : "1"), text);
  });
  dir.write("velocity.answers", velocity);
  const Outcome o = run_smproc(dir.path(), "", {"--answers", "velocity.answers", "event/K"});
  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_EQ(lines_of(o.out).size(), 3u) << o.out;  // the table: a header and two stations
  for (const char* file : {"K_borehole/vel.csv", "K_surface/vel.csv", "summary.csv"})
    EXPECT_TRUE(dir.exists(file)) << file;
  EXPECT_FALSE(dir.exists("vel.csv"));
  // One file of the stem is its one set, run as the dialogue runs it.
  const Outcome one = run_smproc(dir.path(), "", {"--answers", "velocity.answers", "event/K.NS1"});
  EXPECT_EQ(one.status, 0) << one.err;
  EXPECT_EQ(dir.read("vel.csv"), dir.read("K_borehole/vel.csv"));
}

TEST(KikNet, TheDialogueTakesOneSetAndRefusesToGuess) {
  TempDir both, one, knet;
  const char* const ends[] = {".NS", ".EW", ".UD"};
  const char* const lower[] = {".ns", ".ew", ".ud"};
  write_sensors([&](bool surface, int c, const std::string& text) {
    both.write(file_name("K", ends[c], surface ? "2" : "1"), text);
    if (surface) {
      one.write(file_name("K", lower[c], "2"), text);
      knet.write(file_name("K", lower[c]), text);
    }
  });
  const Outcome plain = run_smproc(knet.path(), velocity, {"K"});
  ASSERT_EQ(plain.status, 0) << plain.err;

  // Both sets: a usage error naming the choices, and nothing touched.
  const auto before = file_tree(both.path());
  const Outcome refused = run_smproc(both.path(), velocity, {"K"});
  EXPECT_EQ(refused.status, 2);
  EXPECT_EQ(refused.out, "");
  EXPECT_EQ(refused.err.rfind("smproc: K has the records of two sensors: name one of their "
                              "files, K.NS1 (borehole) or K.NS2 (surface)\n",
                              0),
            0u)
      << refused.err;
  EXPECT_EQ(file_tree(both.path()), before);

  // A file names its set; a stem with one set takes it.
  for (const auto& [folder, name] :
       {std::pair<const TempDir*, std::string>{&both, "K.UD2"}, {&one, "K"}, {&one, "K.ns2"}}) {
    const Outcome o = run_smproc(folder->path(), velocity, {name});
    EXPECT_EQ(o.status, 0) << name << o.err;
    EXPECT_EQ(o.err, "") << name;
    EXPECT_EQ(o.out, plain.out) << name;
    EXPECT_EQ(folder->read("vel.csv"), knet.read("vel.csv")) << name;
    EXPECT_EQ(folder->read("amp3.csv"), knet.read("amp3.csv")) << name;
  }
}

TEST(KikNet, AFileOfTheOtherSensorIsNamed) {
  TempDir dir;
  write_sensors([&](bool surface, int c, const std::string& text) {
    // The borehole NS record stands in the surface set.
    if (surface && c != 0) dir.write(file_name("K", c == 1 ? ".EW2" : ".UD2"), text);
    if (!surface && c == 0) dir.write("K.NS2", text);
  });
  dir.write("velocity.answers", velocity);
  const Outcome o = run_smproc(dir.path(), velocity, {"K.NS2"});
  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_EQ(o.err,
            "smproc: warning: K.NS2: the header states the direction 1 (borehole NS), but the file "
            "is read as the surface NS component (4)\n");
  const Outcome event = run_smproc(dir.path(), "", {"--answers", "velocity.answers", "-o", "out", "."});
  EXPECT_EQ(event.status, 0) << event.err;
  EXPECT_NE(event.err.find("smproc: K_surface: warning: ./K.NS2: the header states the direction 1 "
                           "(borehole NS)"),
            std::string::npos)
      << event.err;
}

// NIED's records of one KiK-net station, where the tree holds them.
TEST(KikNet, RealStationGivesItsBoreholeAndSurfaceStations) {
  const fs::path real = fs::path(SMPROC_SOURCE_DIR) / ".." / "shared" / "real" / "kiknet-nagano-2011";
  if (!fs::is_directory(real)) GTEST_SKIP() << "the real records are not here";
  TempDir dir;
  const Outcome o = run_smproc(dir.path(), "",
                               {"--bandpass", "0.1,0.2,20,25", "--integrate", "once", "--waveform",
                                "vel.csv", "-o", "out", real.string()});
  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_EQ(o.err, "");
  const auto rows = lines_of(dir.read("out/summary.csv"));
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[1].rfind("NGNH311106302345_borehole,ok,NGNH31,", 0), 0u) << rows[1];
  EXPECT_EQ(rows[2].rfind("NGNH311106302345_surface,ok,NGNH31,", 0), 0u) << rows[2];
}

}  // namespace
}  // namespace smproc::testing
