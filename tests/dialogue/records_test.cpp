// What the console shows of a record, and the warnings about it.
#include "dialogue/records.h"

#include <gtest/gtest.h>

#include "support/console_capture.h"
#include "support/record_text.h"

namespace smproc {
namespace {

using testing::CapturedConsole;
using testing::chb002_header;

TEST(RecordEchoTest, ScaleLineThenCountWithTheInterval) {
  CapturedConsole c("");
  show_opening(c.con());
  echo_scale(c.con(), 7845, 8223790);
  echo_count(c.con(), 6000, static_cast<double>(0.01f));
  echo_scale(c.con(), 250, 1000);
  echo_count(c.con(), 800, static_cast<double>(0.01f));
  EXPECT_EQ(c.text(),
            "\n Enter input file of waveform data (NS)\n"
            "  7845.  8223790.\n\n NT and DT= 6000  0.00999999978\n"
            "  250.  1000.\n\n NT and DT= 800  0.00999999978\n");
}

TEST(RecordWarningsTest, IgnoredValuesOverlongAndEmptyRecords) {
  struct Case { SampleCount count; std::vector<std::string> warnings; };
  const Case cases[] = {
      {{16, 16, 4, 2},
       {"r.ns: 4 values after the eighth on 2 sample lines were ignored (a line ends its group "
        "of eight)"}},
      {{33008, 33008, 0, 0},
       {"r.ns: holds 33008 samples; only the first 33000 are kept, and the mean is taken over "
        "those 33000"}},
      {{0, 0, 0, 0}, {"r.ns: holds no samples"}},
      {{8, 8, 0, 0}, {}},
      {{800, 800, 0, 0, 3},
       {"r.ns: the last 3 values, after the last full group of eight, are left out (samples "
        "are read in groups of eight)"}},
      {{8, 8, 0, 0, 1},
       {"r.ns: the last 1 value, after the last full group of eight, is left out (samples are "
        "read in groups of eight)"}},
      {{0, 0, 0, 0, 5},
       {"r.ns: the last 5 values, after the last full group of eight, are left out (samples "
        "are read in groups of eight)",
        "r.ns: holds no samples"}},
  };
  for (const Case& t : cases) {
    textio::Warnings warnings;
    warn_of_record(warnings, "r.ns", t.count);
    EXPECT_EQ(warnings.all(), t.warnings) << t.count.nt;
  }
}

// The warnings of a set whose headers state these directions, the files
// named so.
std::vector<std::string> direction_warnings(const PerComponent<std::string>& files,
                                            const PerComponent<std::string>& stated) {
  PerComponent<RecordRead> records;
  for (int c = 0; c < 3; ++c) {
    records[c].nt = 8;
    // Each header fact on its line: Dir. is the 13th.
    records[c].header = {"Origin Time", "Lat.", "Long.", "Depth. (km)", "Mag.", "Station Code",
                         "Station Lat.", "Station Long.", "Station Height(m)", "Record Time",
                         "Sampling Freq(Hz) 100Hz", "Duration Time(s)",
                         "Dir.              " + stated[c]};
  }
  textio::Warnings warnings;
  warn_of_headers(warnings, files, {&records[0], &records[1], &records[2]}, false);
  return warnings.all();
}

TEST(RecordWarningsTest, DirectionsNameTheComponentAndTheSensorReadAs) {
  struct Case {
    const char* what;
    PerComponent<std::string> files;
    PerComponent<std::string> stated;
    std::vector<std::string> warnings;
  };
  const PerComponent<std::string> knet = {"r.ns", "r.ew", "r.ud"};
  const PerComponent<std::string> borehole = {"d/k.NS1", "d/k.EW1", "d/k.UD1"};
  const PerComponent<std::string> surface = {"d/k.ns2", "d/k.ew2", "d/k.ud2"};
  const Case cases[] = {
      {"K-NET as stated", knet, {"N-S", "E-W", "U-D"}, {}},
      {"K-NET swapped", knet, {"E-W", "N-S", "U-D"},
       {"r.ns: the header states the direction E-W, but the file is read as the NS component "
        "(N-S)",
        "r.ew: the header states the direction N-S, but the file is read as the EW component "
        "(E-W)"}},
      {"borehole as stated", borehole, {"1", "2", "3"}, {}},
      {"surface as stated", surface, {"4", "5", "6"}, {}},
      {"no direction stated", surface, {"", "", ""}, {}},
      {"a surface file among the borehole ones", borehole, {"4", "2", "3"},
       {"d/k.NS1: the header states the direction 4 (surface NS), but the file is read as the "
        "borehole NS component (1)"}},
      {"a borehole file in the surface set", surface, {"4", "5", "3"},
       {"d/k.ud2: the header states the direction 3 (borehole UD), but the file is read as the "
        "surface UD component (6)"}},
      {"components swapped within the sensor", surface, {"5", "4", "6"},
       {"d/k.ns2: the header states the direction 5 (surface EW), but the file is read as the "
        "surface NS component (4)",
        "d/k.ew2: the header states the direction 4 (surface NS), but the file is read as the "
        "surface EW component (5)"}},
      // Renamed by hand to K-NET endings: the headers' first code names the sensor.
      {"renamed, one sensor", knet, {"4", "5", "6"}, {}},
      {"renamed, sensors mixed", knet, {"4", "2", "6"},
       {"r.ew: the header states the direction 2 (borehole EW), but the file is read as the "
        "surface EW component (5)"}},
      // Three files named by hand: the first ending that names a sensor is the set's.
      {"named files of two sensors", {"a.NS2", "b.EW2", "c.UD1"}, {"4", "5", "3"},
       {"c.UD1: the header states the direction 3 (borehole UD), but the file is read as the "
        "surface UD component (6)"}},
      // K-NET's forms in a KiK-net set: only the component is checked.
      {"K-NET forms in a surface set", surface, {"N-S", "U-D", "U-D"},
       {"d/k.ew2: the header states the direction U-D, but the file is read as the EW "
        "component (E-W)"}},
      {"unknown codes", borehole, {"7", "0", "N-W"}, {}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(direction_warnings(c.files, c.stated), c.warnings) << c.what;
}

// The header's Max. Acc. against each record's own peak over its counted
// samples: only a record outside the tolerance is warned of, naming its
// file, both peaks and its scale factor.
TEST(RecordWarningsTest, HeaderPeakFarFromTheRecordsOwnIsWarnedOf) {
  const auto record = [](const std::string& max_acc, int nt) {
    RecordRead r;
    r.nt = nt;
    r.header = chb002_header("N-S", max_acc);
    r.header.resize(15);  // through the Max. Acc. line
    return r;
  };
  Series x;
  for (double v : {1.0, -3.868, 2.0, 0.5, 9.0}) x.append(v);  // 9 lies past the count
  struct Case { std::string max_acc; int nt; bool warned; };
  const Case cases[] = {
      {"3.868", 4, false},  {"3.872", 4, false},  // 0.0005 + 0.003872 = 0.004372 away allowed
      {"3.873", 4, true},   {"3.8", 4, true},   {"", 4, false}, {"n/a", 4, false},
      {"3.868", 0, false},  // no samples: said otherwise
  };
  for (const Case& t : cases) {
    const RecordRead ns = record(t.max_acc, t.nt), ew = record("", 4), ud = record("", 4);
    textio::Warnings warnings;
    warn_of_header_peaks(warnings, {"r.ns", "r.ew", "r.ud"}, {&ns, &ew, &ud}, {&x, &x, &x});
    EXPECT_EQ(warnings.all().size(), t.warned ? 1u : 0u) << t.max_acc;
  }
  const RecordRead ns = record("1.5", 4), ew = record("3.868", 4), ud = record("3.868", 4);
  textio::Warnings warnings;
  warn_of_header_peaks(warnings, {"r.ns", "r.ew", "r.ud"}, {&ns, &ew, &ud}, {&x, &x, &x});
  EXPECT_EQ(warnings.all(),
            std::vector<std::string>{
                "r.ns: the record's own peak is 3.8680 gal (mean removed, scaled), its header's "
                "Max. Acc. 1.5 gal: they differ by more than 0.0005 gal + 0.1 %, so the scale "
                "factor 7845(gal)/8223790 or the samples may be wrong"});
}

}  // namespace
}  // namespace smproc
