// summary.csv and the table: the columns, the quoting, what a failed or
// unrun station shows, text a spreadsheet or a terminal would act on, and
// columns that a metric adds.
#include "run/summary.h"

#include <gtest/gtest.h>

#include <vector>

#include "metrics/peaks.h"
#include "metrics/record_facts.h"
#include "support/event_records.h"
#include "support/run_binary.h"

namespace smproc {
namespace {

// The columns of the record facts and the peaks, then those of the event
// and the station.
const std::string facts_and_peaks =
    "stem,status,station_code,station_latitude,station_longitude,sampling_frequency,"
    "samples_ns,samples_ew,samples_ud,peak_ns,peak_time_ns,peak_ew,peak_time_ew,"
    "peak_ud,peak_time_ud";
// Then the event and station's, how the outputs were made, and the warnings.
const std::string header = facts_and_peaks +
                           ",sensor,origin_time_utc,event_latitude,event_longitude,"
                           "event_depth_km,magnitude,station_height_m,record_start_utc,duration_s,"
                           "header_max_acc_gal,epicentral_distance_km,hypocentral_distance_km,"
                           "rate_hz,bandpass_hz,operation,output_quantity,output_unit,"
                           "smproc_version,warnings\n";

// The twelve event and station cells of a station whose headers state none.
const std::string no_metadata = ",,,,,,,,,,,,";
// The provenance cells of a station that did not get to its answers.
const std::string no_answers = ",,,,,," SMPROC_VERSION;

const double dt = static_cast<double>(0.01f);

// Series of 6000 samples whose peaks are 26.30966 at sample 1633 (16.32 s),
// 0.00004 at sample 1 and 1234.5 at sample 6000 (59.99 s).
struct Waveforms {
  std::vector<double> ns = std::vector<double>(6000), ew = ns, ud = ns;
  Waveforms() {
    ns[1632] = -26.30966;
    ns[10] = 26.3;
    ew[0] = 0.00004;
    ud[5999] = 1234.5;
  }
};

StationData ok_data(const Waveforms& w) {
  StationData d;
  d.header.station_code = "TKY007";
  d.header.station_latitude = "36.4372";
  d.header.station_longitude = "139.0525";
  d.header.sampling = "100Hz";
  d.samples = {6000, 6000, 5992};
  d.waveform = WaveformSeries{{w.ns, w.ew, w.ud}, 6000, 1, dt};
  return d;
}

StationRow ok_row(const StationData& d) {
  StationRow r;
  r.name = "TKY0070410231756";
  r.outcome = StationRow::Outcome::ok;
  r.status = "ok";
  r.summary = measure(d);
  return r;
}

TEST(SummaryCsv, RowsOfEveryKind) {
  const Waveforms w;
  StationRow ok = ok_row(ok_data(w));
  StationRow warned = ok;
  warned.name = std::string("W");
  warned.warnings = {"w.ud: the header states a sampling frequency of 50Hz", "a \"quoted\" word"};
  StationRow failed;
  failed.name = "F";
  failed.outcome = StationRow::Outcome::failed;
  failed.status = failure_status("read start: end of file\napparent state: unit 11 named F.ud\n");
  StationData f;
  f.header.station_code = "F01";
  f.samples = {800, 800, std::nullopt};  // the UD record was not counted
  failed.summary = measure(f);
  StationRow not_run;
  not_run.name = "N";
  not_run.status = "not run";
  not_run.summary = ok.summary;  // never shown for a station that did not run
  EXPECT_EQ(summary_csv({ok, warned, failed, not_run}),
            header +
                "TKY0070410231756,ok,TKY007,36.4372,139.0525,100Hz,6000,6000,5992,"
                "26.30966,16.320,4e-05,0.000,1234.5,59.990" + no_metadata + no_answers + ",\n"
                "W,ok,TKY007,36.4372,139.0525,100Hz,6000,6000,5992,"
                "26.30966,16.320,4e-05,0.000,1234.5,59.990" + no_metadata + no_answers + ","
                "\"w.ud: the header states a sampling frequency of 50Hz | a \"\"quoted\"\" "
                "word\"\n"
                "F,read start: end of file,F01,,,,800,800,,,,,,," + no_metadata + no_answers + ",\n"
                "N,not run,,,,,,,,,,,,," + no_metadata + ",,,,,,,\n");
}

TEST(SummaryCsv, FieldsWithCommasAreQuoted) {
  StationRow r;
  r.name = "a,b";
  r.outcome = StationRow::Outcome::failed;
  r.status = failure_status(
      "smproc: amp3.csv not written: S.ns has the scale factor 1/0, which gives values\n");
  EXPECT_EQ(summary_csv({r}),
            header +
                "\"a,b\",\"amp3.csv not written: S.ns has the scale factor 1/0, which gives "
                "values\",,,,,,,,,,,,," + no_metadata + ",,,,,,,\n");
}

TEST(SummaryCsv, NoRowsIsTheHeaderAlone) { EXPECT_EQ(summary_csv({}), header); }

TEST(SummaryCsv, TextThatASpreadsheetWouldEvaluateIsQuotedAsText) {
  StationData d;
  d.header.station_code = "=HYPERLINK(\"http://x\",\"y\")";
  d.header.station_latitude = "-33.4500";  // a number as stated: left as it is
  d.header.station_longitude = "@SUM(A1)";
  d.header.sampling = "\t100Hz";
  StationRow r;
  r.name = "+cmd";
  r.outcome = StationRow::Outcome::failed;
  r.status = "-1+2";
  r.summary = measure(d);
  r.warnings = {"\rw"};
  EXPECT_EQ(summary_csv({r}),
            header +
                "'+cmd,'-1+2,\"'=HYPERLINK(\"\"http://x\"\",\"\"y\"\")\",-33.4500,'@SUM(A1),"
                "'\t100Hz,,,,,,,,," + no_metadata + no_answers + ",\"'\rw\"\n");
}

TEST(FailureReport, OnOneLineWithoutTheProgramName) {
  EXPECT_EQ(one_line("open: No such file or directory\napparent state: unit 11 named s.ud\n"
                     "lately reading sequential formatted external IO\n"),
            "open: No such file or directory; apparent state: unit 11 named s.ud; lately "
            "reading sequential formatted external IO");
  EXPECT_EQ(one_line("smproc: s.ud holds 40000 samples; at most 32768 can be transformed\n"),
            "s.ud holds 40000 samples; at most 32768 can be transformed");
  EXPECT_EQ(failure_status("smproc: out of memory\n"), "out of memory");
}

TEST(SummaryTable, ColumnsAlignedStatusLast) {
  const Waveforms w;
  StationRow ok = ok_row(ok_data(w));
  ok.warnings = {"one"};
  StationRow not_run;
  not_run.name = "N";
  not_run.status = "not run";
  EXPECT_EQ(summary_table({ok, not_run}),
            "stem              code    latitude  longitude  sampling         samples  "
            "peak NS  at (s)  peak EW  at (s)    peak UD  at (s)  warnings  status\n"
            "TKY0070410231756  TKY007   36.4372   139.0525  100Hz     6000/6000/5992  "
            "26.3097  16.320   0.0000   0.000  1234.5000  59.990         1  ok\n"
            "N" +
                std::string(135, ' ') + "not run\n");
}

TEST(SummaryTable, ControlCharactersShownAsQuestionMarksFilesKeepThem) {
  StationData d;
  d.header.station_code =
      "A\x1b]0;x\x07"
      "B";
  d.header.sampling =
      "1\r\n00Hz\x7f\xc2\x9b"
      "1m";
  StationRow r;
  r.name = "S\x1b[2J";
  r.outcome = StationRow::Outcome::failed;
  r.status = "S\x1b[2J.ud: no such file";
  r.summary = measure(d);
  const std::string table = summary_table({r});
  // Nothing in the table can reach the terminal as a control.
  for (const char ch : table)
    EXPECT_TRUE(ch == '\n' || (static_cast<unsigned char>(ch) >= 0x20 && ch != 0x7f));
  EXPECT_NE(table.find("S?[2J  A?]0;x?B"), std::string::npos) << table;
  EXPECT_NE(table.find("1??00Hz??1m"), std::string::npos) << table;
  EXPECT_NE(table.find("S?[2J.ud: no such file\n"), std::string::npos) << table;
  // summary.csv keeps the bytes as read.
  const std::string csv = summary_csv({r});
  EXPECT_NE(csv.find("S\x1b[2J,S\x1b[2J.ud: no such file,A\x1b]0;x\x07"
                     "B,,,"
                     "\"1\r\n00Hz\x7f\xc2\x9b"
                     "1m\","),
            std::string::npos)
      << csv;
}

TEST(SummaryCsv, PeaksOfAnyMagnitudeWrittenWhole) {
  // A scale factor gone wrong can make peaks of any size; they were cut
  // to 64 characters once past 1e58.
  std::vector<double> ns(4, 0.0), ew = ns, ud = ns;
  ns[1] = -4.2e258;
  ew[2] = 1e15;
  ud[3] = 999999999999999.9;
  StationData d;
  d.samples = {4, 4, 4};
  d.waveform = WaveformSeries{{ns, ew, ud}, 4, 1, dt};
  StationRow r;
  r.name = "S";
  r.outcome = StationRow::Outcome::ok;
  r.status = "ok";
  r.summary = measure(d);
  EXPECT_EQ(summary_csv({r}), header +
                                  "S,ok,,,,,4,4,4,4.2e+258,0.010,1e+15,0.020,"
                                  "999999999999999.9,0.030" + no_metadata + no_answers + ",\n");
}

// A metric defined here, after the registered ones: its columns reach both
// views with no change to the summary.
void offsets(const StationData& d, StationResult& out) {
  out.push_back(
      real_column("offset_cm", "offset", d.waveform ? std::optional(-12.5) : std::nullopt));
  out.push_back(
      text_column("offset_note", "", d.waveform ? std::optional<std::string>("-x") : std::nullopt));
}

TEST(SummaryColumns, AMetricAddedGivesItsColumnsInBothViews) {
  const Metric metrics[] = {record_facts, peaks, offsets};
  const Waveforms w;
  StationRow ok = ok_row(ok_data(w));
  ok.summary = measure(ok_data(w), metrics);
  StationRow not_run;
  not_run.name = "N";
  not_run.status = "not run";
  const std::string csv = summary_csv({ok, not_run}, metrics);
  EXPECT_EQ(csv, facts_and_peaks +
                     ",offset_cm,offset_note,warnings\n"
                     "TKY0070410231756,ok,TKY007,36.4372,139.0525,100Hz,6000,6000,5992,"
                     "26.30966,16.320,4e-05,0.000,1234.5,59.990,-12.5,'-x,\n"
                     "N,not run,,,,,,,,,,,,,,,,\n");
  // In the table only the column with a heading, a number right-aligned.
  EXPECT_EQ(summary_table({ok, not_run}, metrics),
            "stem              code    latitude  longitude  sampling         samples  "
            "peak NS  at (s)  peak EW  at (s)    peak UD  at (s)    offset  warnings  status\n"
            "TKY0070410231756  TKY007   36.4372   139.0525  100Hz     6000/6000/5992  "
            "26.3097  16.320   0.0000   0.000  1234.5000  59.990  -12.5000         0  ok\n"
            "N" +
                std::string(145, ' ') + "not run\n");
}

TEST(RunSummary, NoPeaksWhereTheWaveformFileHasNoRow) {
  // A skip of -3 is a stride of -2: the waveform file gets its header only.
  testing::TempDir dir;
  testing::write_station(dir.path(), "S", 800, 5);
  const std::string stem = (dir.path() / "S").string();
  RunSetup setup;
  setup.records = {stem + ".ns", stem + ".ew", stem + ".ud", false};
  setup.answers.text = "0\n0\n0\n0\n-3\nw.csv\n\n";
  std::string console;
  setup.console.text = &console;
  setup.out_dir = dir.path();
  const RunOutcome outcome = run_record_set(setup);
  ASSERT_EQ(outcome.status, 0) << outcome.report;
  ASSERT_EQ(testing::read_file(dir.path() / "w.csv").find('\n'),
            testing::read_file(dir.path() / "w.csv").size() - 1);
  StationRow r;
  r.name = "S";
  r.outcome = StationRow::Outcome::ok;
  r.status = "ok";
  r.summary = outcome.summary;
  EXPECT_EQ(summary_csv({r}), header +
                                  "S,ok,ST001,36.4372,139.0525,100Hz,800,800,800,"
                                  ",,,,,,,2004-10-23T08:56:00Z,37.307,138.867,13,6.8,300,"
                                  "2004-10-23T08:56:03Z,60,0.394,97.93291234651628,98.79198004226072,100,,none,acceleration,gal,"
                                  SMPROC_VERSION ",\n");
}

}  // namespace
}  // namespace smproc
