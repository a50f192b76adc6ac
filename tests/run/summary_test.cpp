// summary.csv and the table: the columns, the quoting, what a failed or
// unrun station shows.
#include "run/summary.h"

#include <gtest/gtest.h>

namespace smproc {
namespace {

const char* const header =
    "stem,status,station_code,station_latitude,station_longitude,sampling_frequency,"
    "samples_ns,samples_ew,samples_ud,peak_ns,peak_time_ns,peak_ew,peak_time_ew,"
    "peak_ud,peak_time_ud,warnings\n";

StationRow ok_row() {
  StationRow r;
  r.name = "TKY0070410231756";
  r.outcome = StationRow::Outcome::ok;
  r.status = "ok";
  r.summary.header.station_code = "TKY007";
  r.summary.header.station_latitude = "36.4372";
  r.summary.header.station_longitude = "139.0525";
  r.summary.header.sampling = "100Hz";
  r.summary.samples = {6000, 6000, 5992};
  r.summary.waveform_written = true;
  r.summary.peak = {26.30966, 0.00004, 1234.5};
  r.summary.peak_time = {16.319999635219574, 0.0, 59.98999865911901};
  return r;
}

TEST(SummaryCsv, RowsOfEveryKind) {
  StationRow ok = ok_row();
  StationRow warned = ok_row();
  warned.name = std::string("W");
  warned.warnings = {"w.ud: the header states a sampling frequency of 50Hz", "a \"quoted\" word"};
  StationRow failed;
  failed.name = "F";
  failed.outcome = StationRow::Outcome::failed;
  failed.status = failure_status("read start: end of file\napparent state: unit 11 named F.ud\n");
  failed.summary.header.station_code = "F01";
  failed.summary.samples = {800, 800, 0};  // the UD record was not counted
  StationRow not_run;
  not_run.name = "N";
  not_run.status = "not run";
  not_run.summary.samples = {1, 2, 3};  // never shown for a station that did not run
  EXPECT_EQ(summary_csv({ok, warned, failed, not_run}),
            std::string(header) +
                "TKY0070410231756,ok,TKY007,36.4372,139.0525,100Hz,6000,6000,5992,"
                "26.3097,16.320,0.0000,0.000,1234.5000,59.990,\n"
                "W,ok,TKY007,36.4372,139.0525,100Hz,6000,6000,5992,"
                "26.3097,16.320,0.0000,0.000,1234.5000,59.990,"
                "\"w.ud: the header states a sampling frequency of 50Hz | a \"\"quoted\"\" "
                "word\"\n"
                "F,read start: end of file,F01,,,,800,800,,,,,,,,\n"
                "N,not run,,,,,,,,,,,,,,\n");
}

TEST(SummaryCsv, FieldsWithCommasAreQuoted) {
  StationRow r;
  r.name = "a,b";
  r.outcome = StationRow::Outcome::failed;
  r.status = failure_status(
      "smproc: amp3.csv not written: S.ns has the scale factor 1/0, which gives values\n");
  EXPECT_EQ(summary_csv({r}),
            std::string(header) +
                "\"a,b\",\"amp3.csv not written: S.ns has the scale factor 1/0, which gives "
                "values\",,,,,,,,,,,,,,\n");
}

TEST(SummaryCsv, NoRowsIsTheHeaderAlone) { EXPECT_EQ(summary_csv({}), header); }

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
  StationRow ok = ok_row();
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

}  // namespace
}  // namespace smproc
