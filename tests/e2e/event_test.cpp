// A whole event in one command: answers as options or from a file, stations
// found in folders, each into its own folder, the summary, failures kept to
// their station, usage errors, and Ctrl-C.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <thread>

#include "support/event_records.h"
#include "support/process_watch.h"
#include "support/run_binary.h"

namespace smproc::testing {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> args(std::vector<std::string> a, const std::string& last) {
  a.push_back(last);
  return a;
}

// ---------------------------------------------------------------------------
// Options and answer files against the dialogue.

TEST(EventOptions, EachOptionGivesWhatItsAnswerScriptGives) {
  struct Case {
    std::vector<std::string> options;
    std::string script;  // what a user would pipe into the dialogue
  };
  const Case cases[] = {
      {{"--flip", "NS"}, "1\n1\n0\n0\n0\n0\n0\n0\nwave.csv\n\n"},
      {{"--flip", "ew,UD"}, "1\n0\n1\n1\n0\n0\n0\n0\nwave.csv\n\n"},
      {{"--bandpass", "0.1,0.2,20,25"}, "0\n1\n0.1 0.2 20 25\n0\n0\n0\nwave.csv\n\n"},
      {{"--bandpass", "25,20,0.2,0.1"}, "0\n1\n25 20 0.2 0.1\n0\n0\n0\nwave.csv\n\n"},
      {{"--integrate", "once"}, "0\n0\n1\n0\n0\nwave.csv\n\n"},
      {{"--integrate", "twice"}, "0\n0\n2\n0\n0\nwave.csv\n\n"},
      {{"--differentiate"}, "0\n0\n3\n0\n0\nwave.csv\n\n"},
      {{"--window", "1.0,10.0"}, "0\n0\n0\n1\n1.0\n10.0\n0\nwave.csv\n\n"},
      {{"--window=-0.5,2"}, "0\n0\n0\n1\n-0.5\n2\n0\nwave.csv\n\n"},
      {{"--window", "50,40"}, "0\n0\n0\n1\n50\n40\n0\nwave.csv\n\n"},
      {{"--skip", "4"}, "0\n0\n0\n0\n4\nwave.csv\n\n"},
      {{"--waveform", "vel.csv"}, "0\n0\n0\n0\n0\nvel.csv\n\n"},
      {{"--waveform", "a_name_longer_than_thirty_characters.csv"},
       "0\n0\n0\n0\n0\na_name_longer_than_thirty_characters.csv\n\n"},
      {{"--bandpass", "0.1,0.2,20,25", "--integrate", "once", "--skip", "1", "--waveform",
        "vel.csv", "--flip", "UD", "--window", "5,20"},
       "1\n0\n0\n1\n1\n0.1 0.2 20 25\n1\n1\n5\n20\n1\nvel.csv\n\n"},
  };
  TempDir records;
  write_station(records.path(), "st", 6000, 5);
  const std::string stem = (records.path() / "st").string();
  for (const Case& c : cases) {
    const std::string what = c.options[0] + " " + (c.options.size() > 1 ? c.options[1] : "");
    TempDir dialogue, options, folders;
    const Outcome want = run_smproc(dialogue.path(), c.script, {stem});
    ASSERT_EQ(want.status, 0) << what << want.err;
    // One station without -o: as the dialogue, byte for byte; standard
    // input is not read.
    const Outcome got = run_smproc(options.path(), "1\n1\n1\n", args(c.options, stem + ".ns"));
    EXPECT_EQ(got.status, want.status) << what;
    EXPECT_EQ(got.out, want.out) << what;
    EXPECT_EQ(got.err, want.err) << what;
    EXPECT_EQ(file_tree(options.path()), file_tree(dialogue.path())) << what;
    // With -o: the same files and the console text under out/st/.
    std::vector<std::string> o = c.options;
    o.insert(o.end(), {"-o", "out", stem});
    const Outcome in_folder = run_smproc(folders.path(), "", o);
    EXPECT_EQ(in_folder.status, 0) << what << in_folder.err;
    auto files = file_tree(dialogue.path());
    std::map<std::string, std::string> expected;
    for (const auto& [name, content] : files) expected["out/st/" + name] = content;
    expected["out/st/console.txt"] = want.out;
    // The answers the options stand for: the dialogue's script itself.
    expected["out/st/answers.txt"] = c.script;
    auto written = file_tree(folders.path());
    ASSERT_EQ(written.count("out/summary.csv"), 1u) << what;
    written.erase("out/summary.csv");
    EXPECT_EQ(written, expected) << what;
  }
}

TEST(EventOptions, AnswersFileIsTheDialogueWithoutStandardInput) {
  TempDir records;
  write_station(records.path(), "st", 3000, 8, {}, {".NS", ".EW", ".UD"});
  const std::string stem = (records.path() / "st").string();
  struct Case {
    const char* what;
    std::string answers;
  };
  const Case cases[] = {
      {"velocity", source_file("examples/velocity.answers")},
      {"CR LF lines", "0\r\n1\r\n0.1 0.2 20 25\r\n2\r\n0\r\n0\r\ndis.csv\r\n\r\n"},
      {"no final empty line", "0\n0\n0\n0\n0\nacc.csv\n"},
      // Ends before the file name: the end-of-file report, never a wait.
      {"too short", "0\n0\n0\n0\n0\n"},
      {"a bad answer", "0\n1.0\n"},
  };
  for (const Case& c : cases) {
    TempDir dialogue, file;
    file.write("job.answers", c.answers);
    const Outcome want = run_smproc(dialogue.path(), c.answers, {stem});
    // Standard input holds what would complete the short answers; it is not read.
    const Outcome got =
        run_smproc(file.path(), "acc.csv\n\n", {"--answers", "job.answers", stem + ".UD"});
    EXPECT_EQ(got.status, want.status) << c.what;
    EXPECT_EQ(got.out, want.out) << c.what;
    EXPECT_EQ(got.err, want.err) << c.what;
    fs::remove(file.path() / "job.answers");
    EXPECT_EQ(file_tree(file.path()), file_tree(dialogue.path())) << c.what;
  }
}

TEST(EventOptions, NoArgumentsReadTheFixedRecordSet) {
  TempDir dialogue, options;
  for (const TempDir* d : {&dialogue, &options})
    write_station(d->path(), "tky0070410231756", 1000, 3);
  const Outcome want = run_smproc(dialogue.path(), "0\n0\n2\n0\n0\nwave.csv\n\n");
  const Outcome got = run_smproc(options.path(), "", {"--integrate", "twice"});
  EXPECT_EQ(got.status, 0) << got.err;
  EXPECT_EQ(got.out, want.out);
  EXPECT_EQ(file_tree(options.path()), file_tree(dialogue.path()));
}

// ---------------------------------------------------------------------------
// Usage errors and other refusals touch no file.

TEST(EventUsage, ErrorsTouchNoFile) {
  const std::vector<std::vector<std::string>> bad = {
      {"--answers", "job.answers", "--flip", "NS", "event"},
      {"--answers", "job.answers", "--waveform", "w.csv", "event"},
      {"--integrate", "once", "--differentiate", "event"},
      {"--integrate", "thrice", "event"},
      {"--integrate"},
      {"--flip", "XY", "event"},
      {"--flip", "", "event"},
      {"--bandpass", "0.1,0.2,20", "event"},
      {"--bandpass", "a,b,c,d", "event"},
      {"--bandpass", "0.1,0.2,20,25,", "event"},
      {"--window", "1", "event"},
      {"--window", "1,2", "--window", "3,4", "event"},
      {"--skip", "-1", "event"},
      {"--skip", "1.5", "event"},
      {"--waveform", "", "event"},
      {"--waveform", "   ", "event"},
      {"--answers", "", "event"},
      {"-o", "", "--skip", "0", "event"},
      {"-j", "0", "--skip", "0", "event"},
      {"-j", "two", "--skip", "0", "event"},
      {"-j", "2", "event/a"},  // the dialogue runs one station
      {"-j2", "-o", "out"},
      {"-o", "out", "event/a", "event/b"},
      {"event/a", "event/b"},
      {"event"},
      {"--frobnicate", "--skip", "0", "event"},
  };
  for (const auto& a : bad) {
    TempDir dir;
    write_station(dir.path() / "event", "a", 16, 1);
    write_station(dir.path() / "event", "b", 16, 2);
    dir.write("job.answers", source_file("examples/velocity.answers"));
    const auto before = file_tree(dir.path());
    const auto entries = std::distance(fs::recursive_directory_iterator(dir.path()),
                                       fs::recursive_directory_iterator());
    const Outcome o = run_smproc(dir.path(), "", a);
    std::string what;
    for (const auto& s : a) what += s + " ";
    EXPECT_EQ(o.status, 2) << what;
    EXPECT_EQ(o.out, "") << what;
    EXPECT_EQ(o.err.rfind("smproc: ", 0), 0u) << what << o.err;
    // Its one line, then where the help is; not the help.
    const std::string hint = "\nTry 'smproc --help' for more information.\n";
    ASSERT_GT(o.err.size(), hint.size()) << what;
    EXPECT_EQ(o.err.find('\n'), o.err.size() - hint.size()) << what << o.err;
    EXPECT_EQ(o.err.substr(o.err.size() - hint.size()), hint) << what << o.err;
    EXPECT_EQ(std::distance(fs::recursive_directory_iterator(dir.path()),
                            fs::recursive_directory_iterator()),
              entries)
        << what;
    EXPECT_EQ(file_tree(dir.path()), before) << what;
  }
}

TEST(EventUsage, NothingToRunTouchesNoFile) {
  struct Case {
    std::vector<std::string> args;
    std::string err;
  };
  const Case cases[] = {
      {{"--answers", "missing.answers", "event"},
       "smproc: cannot read the answers from missing.answers: No such file or directory\n"},
      {{"--skip", "0", "empty"},
       "smproc: empty: no station in this folder (no record files ending .ns, .ew, .ud, .ns1, "
       ".ew1, .ud1, .ns2, .ew2 or .ud2, in lower or upper case; sub folders are not "
       "searched)\n"},
      {{"--skip", "0", "-o", "out", "nowhere"},
       "smproc: nowhere: no station: neither a folder nor a stem with record files (.ns, .ew, "
       ".ud, .ns1, .ew1, .ud1, .ns2, .ew2 or .ud2, in lower or upper case)\n"},
      {{"--waveform", "console.txt", "-o", "out", "event"},
       "smproc: the waveform file cannot be named console.txt: each station's console text "
       "goes there\n"},
      {{"--skip", "0", "event", "other"},
       "smproc: two stations are named a (event/a and other/a); their outputs would share one "
       "folder\n"},
  };
  for (const Case& c : cases) {
    TempDir dir;
    write_station(dir.path() / "event", "a", 16, 1);
    write_station(dir.path() / "other", "a", 16, 1, {}, {".NS", ".EW", ".UD"});
    fs::create_directories(dir.path() / "empty");
    const auto before = file_tree(dir.path());
    const Outcome o = run_smproc(dir.path(), "", c.args);
    EXPECT_EQ(o.status, 2) << c.args[0];
    EXPECT_EQ(o.out, "");
    EXPECT_EQ(o.err, c.err);
    EXPECT_EQ(file_tree(dir.path()), before) << c.args[0];
    EXPECT_FALSE(fs::exists(dir.path() / "out"));
  }
}

// ---------------------------------------------------------------------------
// Many stations.

// The absolute value of a waveform file's column, by the time of its row,
// read from the file's text.
std::map<std::string, double> column_by_time(const std::string& wave, int column) {
  std::map<std::string, double> values;
  const auto rows = lines_of(wave);
  for (std::size_t k = 1; k < rows.size(); ++k) {
    const auto f = fields_of(rows[k]);
    values[f[0].substr(f[0].find_first_not_of(' '))] = std::fabs(std::atof(f[column].c_str()));
  }
  return values;
}

std::string four_decimals(double v) {
  char text[64];
  std::snprintf(text, sizeof text, "%.4f", v);
  return text;
}

TEST(EventStations, WholeFolderIntoStationFoldersWithASummary) {
  TempDir dir;
  const fs::path event = dir.path() / "event";
  StationFacts north;
  north.code = "N.01";
  north.latitude = "44.1";
  north.longitude = "142.5";
  StationFacts slow = north;
  slow.code = "SLOW";
  slow.sampling = "50Hz";
  write_station(event, "N010410231756", 6000, 1, north, {".NS", ".EW", ".UD"});
  write_station(event, "K020410231756", 4000, 7, {}, {".NS", ".EW", ".UD"});
  write_station(event, "s030410231756", 2000, 13, slow);
  write_station(event, "B040410231756", 1000, 19);
  std::ofstream(event / "B040410231756.ud") << "cut inside its header\n";
  write_station(event / "nested", "X050410231756", 800, 23);
  std::ofstream(event / "README.txt") << "an archive's notes\n";

  const Outcome o = run_smproc(dir.path(), "",
                               {"--bandpass", "0.1,0.2,20,25", "--integrate", "once", "--skip", "1",
                                "-j", "3", "-o", "out", "event"});
  EXPECT_EQ(o.status, 2);  // one station failed
  // Its report on one line; the 50 Hz station runs at its own rate, unwarned.
  const std::string err = "\n" + o.err;
  EXPECT_NE(err.find("\nsmproc: B040410231756: list in: end of file; apparent state: unit 11 "
                     "named event/B040410231756.ud; last format: list io; lately reading "
                     "sequential formatted external IO; The record file "
                     "event/B040410231756.ud ends after line 1.\n"),
            std::string::npos)
      << o.err;
  EXPECT_EQ(lines_of(o.err).size(), 1u) << o.err;

  // Layout: a folder per station, the nested station not processed.
  auto files = file_tree(dir.path() / "out");
  std::vector<std::string> names;
  for (const auto& [name, content] : files) names.push_back(name);
  EXPECT_EQ(names,
            (std::vector<std::string>{
                "B040410231756/answers.txt", "B040410231756/console.txt", "K020410231756/amp3.csv",
                "K020410231756/answers.txt", "K020410231756/console.txt", "K020410231756/wave.csv",
                "N010410231756/amp3.csv", "N010410231756/answers.txt", "N010410231756/console.txt",
                "N010410231756/wave.csv", "s030410231756/amp3.csv", "s030410231756/answers.txt",
                "s030410231756/console.txt", "s030410231756/wave.csv", "summary.csv"}));
  // The failed station's console text ends with its report.
  const std::string& console = files["B040410231756/console.txt"];
  EXPECT_EQ(console.substr(console.size() - 106),
            "lately reading sequential formatted external IO\n"
            "The record file event/B040410231756.ud ends after line 1.\n");

  const auto rows = lines_of(files["summary.csv"]);
  ASSERT_EQ(rows.size(), 5u);
  EXPECT_EQ(rows[0],
            "stem,status,station_code,station_latitude,station_longitude,sampling_frequency,"
            "samples_ns,samples_ew,samples_ud,peak_ns,peak_time_ns,peak_ew,peak_time_ew,"
            "peak_ud,peak_time_ud,sensor,origin_time_utc,event_latitude,event_longitude,"
            "event_depth_km,magnitude,station_height_m,record_start_utc,duration_s,"
            "header_max_acc_gal,epicentral_distance_km,hypocentral_distance_km,rate_hz,"
            "bandpass_hz,operation,output_quantity,output_unit,smproc_version,warnings");
  // In name order, byte-wise. A failed station keeps what its headers state;
  // the UD header, cut short, states no peak.
  EXPECT_EQ(rows[1],
            "B040410231756,list in: end of file,ST001,36.4372,139.0525,100Hz,1000,1000,,,,,,,,,"
            "2004-10-23T08:56:00Z,37.307,138.867,13,6.8,300,2004-10-23T08:56:03Z,60,,97.93291234651628,"
            "98.79198004226072,,,,,," SMPROC_VERSION ",");
  const std::string facts[] = {"K020410231756,ok,ST001,36.4372,139.0525,100Hz,4000,4000,4000,",
                               "N010410231756,ok,N.01,44.1,142.5,100Hz,6000,6000,6000,",
                               "s030410231756,ok,SLOW,44.1,142.5,50Hz,2000,2000,2000,"};
  for (int r = 2; r <= 4; ++r) {
    const std::string& row = rows[static_cast<std::size_t>(r)];
    ASSERT_EQ(row.rfind(facts[r - 2], 0), 0u) << row;
    const auto f = fields_of(row);
    ASSERT_EQ(f.size(), 34u) << row;
    // Each component's peak and its time, against the waveform file.
    const std::string& wave = files[f[0] + "/wave.csv"];
    for (int c = 0; c < 3; ++c) {
      const auto values = column_by_time(wave, c + 1);
      ASSERT_EQ(values.size(), f[6 + c] == "6000" ? 3000u : f[6 + c] == "4000" ? 2000u : 1000u);
      double largest = 0;
      for (const auto& [time, v] : values) largest = std::max(largest, v);
      // The peak, exact, is the largest value the file holds to its four
      // decimals, at a time it has.
      const std::string peak = four_decimals(std::stod(f[9 + 2 * c]));
      EXPECT_EQ(peak, four_decimals(largest)) << row << " component " << c;
      ASSERT_EQ(values.count(f[10 + 2 * c]), 1u) << row << " component " << c;
      EXPECT_EQ(four_decimals(values.at(f[10 + 2 * c])), peak) << row;
    }
    EXPECT_EQ(f[27], r == 4 ? "50" : "100") << row;
    EXPECT_EQ(f[28] + "," + f[29] + "," + f[30] + "," + f[31], "0.1 0.2 20 25,integrate,velocity,cm/s");
    EXPECT_EQ(f[33], "");
    // Every second sample written: 0.02 s apart at 100 Hz, 0.04 s at 50 Hz.
    EXPECT_EQ(lines_of(wave)[2].substr(0, 9), r == 4 ? "   0.040," : "   0.020,") << row;
  }

  // The table on standard output: a header and a row per station, status last.
  const auto table = lines_of(o.out);
  ASSERT_EQ(table.size(), 5u) << o.out;
  EXPECT_EQ(table[0].rfind("stem           code  ", 0), 0u) << table[0];
  EXPECT_EQ(table[1].rfind("B040410231756  ST001 ", 0), 0u) << table[1];
  EXPECT_EQ(table[1].substr(table[1].size() - 23), "0  list in: end of file");
  for (int r = 2; r <= 4; ++r)
    EXPECT_EQ(
        table[static_cast<std::size_t>(r)].substr(table[static_cast<std::size_t>(r)].size() - 4),
        "  ok");
  EXPECT_EQ(table[4].substr(table[4].size() - 5), "0  ok") << table[4];
}

TEST(EventStations, SeveralStationsWithoutFolderOptionGoToTheWorkingFolder) {
  TempDir dir;
  write_station(dir.path() / "a", "P1", 800, 1);
  write_station(dir.path() / "b", "P2", 800, 2, {}, {".NS", ".EW", ".UD"});
  write_station(dir.path() / "b", "Q3", 800, 3);
  fs::remove(dir.path() / "b" / "Q3.ew");
  const Outcome o = run_smproc(dir.path(), "", {"--skip", "3", "a/P1", "b/P2.EW", "b/Q3"});
  EXPECT_EQ(o.status, 2);  // Q3 lacks a component
  EXPECT_EQ(o.err, "smproc: Q3: not processed: missing EW\n");
  for (const char* f :
       {"P1/amp3.csv", "P1/wave.csv", "P1/console.txt", "P2/wave.csv", "summary.csv"})
    EXPECT_TRUE(dir.exists(f)) << f;
  EXPECT_FALSE(dir.exists("Q3"));
  const auto rows = lines_of(dir.read("summary.csv"));
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[1].rfind("P1,ok,", 0), 0u);
  EXPECT_EQ(rows[2].rfind("P2,ok,", 0), 0u);
  EXPECT_EQ(rows[3], "Q3,incomplete: missing EW,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,");

  // Only good stations: status 0.
  const Outcome good = run_smproc(dir.path(), "", {"--skip", "3", "a", "b/P2"});
  EXPECT_EQ(good.status, 0) << good.err;
  EXPECT_EQ(good.err, "");
}

// ---------------------------------------------------------------------------
// The dialogue's own forms.

TEST(EventDialogue, UpperCaseEndingsAndOutputFolder) {
  const std::string script = "0\n0\n1\n0\n0\nv.csv\n\n";
  TempDir lower, upper;
  write_station(lower.path(), "st", 800, 4);
  write_station(upper.path(), "st", 800, 4, {}, {".NS", ".EW", ".UD"});
  const Outcome want = run_smproc(lower.path(), script, {"st"});
  ASSERT_EQ(want.status, 0) << want.err;
  for (const char* name : {"st", "st.NS", "st.ud", "st.EW"}) {
    TempDir out;
    const Outcome got = run_smproc(out.path(), script, {(upper.path() / name).string()});
    EXPECT_EQ(got.status, 0) << name << got.err;
    EXPECT_EQ(got.out, want.out) << name;
    EXPECT_EQ(out.read("v.csv"), lower.read("v.csv")) << name;
  }
  // -o moves the outputs and keeps the dialogue.
  TempDir moved;
  const Outcome got =
      run_smproc(moved.path(), script, {"-o", "a/b", (upper.path() / "st").string()});
  EXPECT_EQ(got.status, 0) << got.err;
  EXPECT_EQ(got.out, want.out);
  EXPECT_EQ(file_tree(moved.path()),
            (std::map<std::string, std::string>{{"a/b/amp3.csv", lower.read("amp3.csv")},
                                                {"a/b/v.csv", lower.read("v.csv")}}));
  // -h is --help.
  EXPECT_EQ(run_smproc(moved.path(), "", {"-h"}).out, run_smproc(moved.path(), "", {"--help"}).out);
}

// ---------------------------------------------------------------------------
// Ctrl-C and SIGTERM.

struct Child {
  pid_t pid = -1;
};

// Standard error goes to io/err, or to err_fd when one is given.
Child spawn(const fs::path& dir, const fs::path& io, const std::vector<std::string>& a,
            int err_fd = -1) {
  Child c;
  c.pid = fork();
  if (c.pid == 0) {
    int in = open("/dev/null", O_RDONLY);
    int out = open((io / "out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int err = err_fd >= 0 ? err_fd : open((io / "err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (in < 0 || out < 0 || err < 0 || chdir(dir.c_str()) != 0) _exit(127);
    dup2(in, 0);
    dup2(out, 1);
    dup2(err, 2);
    std::vector<char*> argv{const_cast<char*>(SMPROC_BIN)};
    for (const auto& s : a) argv.push_back(const_cast<char*>(s.c_str()));
    argv.push_back(nullptr);
    execv(SMPROC_BIN, argv.data());
    _exit(127);
  }
  return c;
}

// Waits until the condition holds, for at most 30 s.
template <typename Condition>
bool eventually(Condition condition) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (!condition()) {
    if (std::chrono::steady_clock::now() > until) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}


TEST(EventInterrupt, RunningStationFinishesOthersAreNotRun) {
  struct Case {
    int signal;
    int signals_sent;
    int status;  // exit status, or -1: ended by the signal
    const char* told;
  };
  const Case cases[] = {
      {SIGINT, 1, 130,
       "smproc: interrupted by SIGINT: stations that run finish, no other starts\n"},
      {SIGTERM, 1, 143,
       "smproc: interrupted by SIGTERM: stations that run finish, no other starts\n"},
      {SIGINT, 2, -1, ""},  // the second one ends it at once
  };
  for (const Case& c : cases) {
    TempDir dir, io;
    const fs::path event = dir.path() / "event";
    for (int k = 1; k <= 5; ++k) {
      StationFacts facts;
      if (k == 3) facts.sampling = "fast";
      write_station(event, "A0" + std::to_string(k), 3000, k, facts);
    }
    // A03 alone has a warning; standard error is a full pipe, so A03 waits
    // in the middle of its run until the test reads the pipe.
    int err[2];
    ASSERT_EQ(pipe(err), 0);
    fcntl(err[1], F_SETFL, O_NONBLOCK);
    std::string filler(4096, '.');
    std::size_t filled = 0;
    for (ssize_t n; (n = ::write(err[1], filler.data(), filler.size())) > 0;)
      filled += static_cast<std::size_t>(n);
    fcntl(err[1], F_SETFL, 0);

    Child child =
        spawn(dir.path(), io.path(), {"--skip", "0", "-j", "1", "-o", "out", "event"}, err[1]);
    close(err[1]);
    ASSERT_TRUE(eventually([&] { return writing_to_stderr(child.pid); }));
    for (int k = 0; k < c.signals_sent; ++k) {
      kill(child.pid, c.signal);
      wait_until_taken(child.pid);
      // The same signal again at once would be the first one delivered twice.
      if (k == 0 && c.signals_sent > 1) std::this_thread::sleep_for(std::chrono::milliseconds(700));
    }
    std::string text;
    char buffer[65536];
    for (ssize_t n; (n = ::read(err[0], buffer, sizeof buffer)) > 0;)
      text.append(buffer, static_cast<std::size_t>(n));
    close(err[0]);
    ASSERT_GE(text.size(), filled);
    text.erase(0, filled);
    int wstatus = 0;
    if (c.status < 0) {
      waitpid(child.pid, &wstatus, 0);
      ASSERT_TRUE(WIFSIGNALED(wstatus));
      EXPECT_EQ(WTERMSIG(wstatus), c.signal);
      continue;
    }
    waitpid(child.pid, &wstatus, 0);
    // A03's three warnings, then the interrupt.
    for (int k = 0; k < 3; ++k) {
      EXPECT_EQ(text.rfind("smproc: A03: warning: ", 0), 0u) << text;
      text.erase(0, text.find('\n') + 1);
    }
    EXPECT_EQ(text, c.told);
    ASSERT_TRUE(WIFEXITED(wstatus));
    EXPECT_EQ(WEXITSTATUS(wstatus), c.status);

    const auto rows = lines_of(read_file(dir.path() / "out" / "summary.csv"));
    ASSERT_EQ(rows.size(), 6u);
    for (int k = 1; k <= 3; ++k)
      EXPECT_EQ(rows[static_cast<std::size_t>(k)].rfind("A0" + std::to_string(k) + ",ok,", 0), 0u);
    EXPECT_EQ(rows[4], "A04,not run,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,");
    EXPECT_EQ(rows[5], "A05,not run,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,");
    EXPECT_FALSE(fs::exists(dir.path() / "out" / "A04"));
    // The stations that ran wrote their files whole: as a run alone writes them.
    for (const char* s : {"A01", "A03"}) {
      TempDir alone;
      const std::string stem = (event / s).string();
      const Outcome want = run_smproc(alone.path(), "0\n0\n0\n0\n0\nwave.csv\n\n",
                                      {stem + ".ns", stem + ".ew", stem + ".ud"});
      ASSERT_EQ(want.status, 0);
      EXPECT_EQ(read_file(dir.path() / "out" / s / "wave.csv"), alone.read("wave.csv")) << s;
      EXPECT_EQ(read_file(dir.path() / "out" / s / "amp3.csv"), alone.read("amp3.csv")) << s;
      EXPECT_EQ(read_file(dir.path() / "out" / s / "console.txt"), want.out) << s;
    }
    const auto table = lines_of(read_file(io.path() / "out"));
    ASSERT_EQ(table.size(), 6u);
    EXPECT_EQ(table[5].substr(table[5].size() - 9), "  not run");
  }
}

}  // namespace
}  // namespace smproc::testing
