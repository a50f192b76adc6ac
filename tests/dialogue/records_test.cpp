// What the console shows of a record, and the warnings about it.
#include "dialogue/records.h"

#include <gtest/gtest.h>

#include "support/console_capture.h"

namespace smproc {
namespace {

using testing::CapturedConsole;

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
    records[c].header = {"Sampling Freq(Hz) 100Hz", "Dir.              " + stated[c]};
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

}  // namespace
}  // namespace smproc
