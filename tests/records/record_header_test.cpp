// The header facts, each from its line of the 17 whatever the wording of its
// label; a value that cannot be read leaves only its own fact empty.
#include "records/record_header.h"

#include "support/record_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace smproc {
namespace {

using testing::chb002_header;

// A K-NET header of 2014 (labels "Long." and "Max. Acc. (gal)").
std::vector<std::string> knet_2014() { return chb002_header("E-W", "6.847"); }

std::string text_of(const std::optional<StatedNumber>& n) { return n ? n->text : "(none)"; }

TEST(HeaderFacts, EachFactFromItsLine) {
  const HeaderFacts f = header_facts(knet_2014());
  EXPECT_EQ(f.origin_time, (CivilTime{2014, 12, 31, 23, 49, 0}));
  EXPECT_EQ(text_of(f.event_latitude), "35.785");
  EXPECT_EQ(f.event_latitude->value, 35.785);
  EXPECT_EQ(text_of(f.event_longitude), "139.887");
  EXPECT_EQ(text_of(f.event_depth_km), "84");
  EXPECT_EQ(text_of(f.magnitude), "4.2");
  EXPECT_EQ(f.station_code, "CHB002");
  EXPECT_EQ(f.station_latitude, "35.7868");
  EXPECT_EQ(f.station_longitude_deg->value, 139.9031);
  EXPECT_EQ(text_of(f.station_height_m), "14");
  EXPECT_EQ(f.record_time, (CivilTime{2014, 12, 31, 23, 50, 0}));
  EXPECT_EQ(f.sampling, "100Hz");
  EXPECT_EQ(f.sampling_hz, 100.0);
  EXPECT_EQ(text_of(f.duration_s), "68");
  EXPECT_EQ(f.direction, "E-W");
  EXPECT_EQ(text_of(f.max_acc_gal), "6.847");
}

// Labels of other years, and values that cannot be read: each case changes
// one line and names the one fact it changes.
TEST(HeaderFacts, LabelVariantsReadUnreadableValuesLeaveOnlyTheirFactEmpty) {
  struct Case {
    int line;               // 1 to 17
    std::string text;       // the whole line
    std::string fact;       // the fact that changes
    std::string want;       // its text, "(none)" for empty
  };
  const auto fact = [](const HeaderFacts& f, const std::string& name) -> std::string {
    if (name == "origin") return f.origin_time ? "set" : "(none)";
    if (name == "record") return f.record_time ? "set" : "(none)";
    if (name == "latitude") return text_of(f.event_latitude);
    if (name == "longitude") return text_of(f.event_longitude);
    if (name == "depth") return text_of(f.event_depth_km);
    if (name == "magnitude") return text_of(f.magnitude);
    if (name == "station_latitude") return text_of(f.station_latitude_deg);
    if (name == "station_longitude") return text_of(f.station_longitude_deg);
    if (name == "height") return text_of(f.station_height_m);
    if (name == "duration") return text_of(f.duration_s);
    if (name == "max_acc") return text_of(f.max_acc_gal);
    if (name == "direction") return f.direction;
    if (name == "code") return f.station_code;
    ADD_FAILURE() << name;
    return {};
  };
  const Case cases[] = {
      {3, "Lon.              139.887", "longitude", "139.887"},
      {15, "Max Acc. (gal)    6.847", "max_acc", "6.847"},
      {15, "MAX. ACC. (GAL)   6.847", "max_acc", "6.847"},
      {8, "Station Lon.      139.9031", "station_longitude", "139.9031"},
      {2, "Lat.              -33.45", "latitude", "-33.45"},
      {4, "Depth. (km)       10.0", "depth", "10.0"},  // the header's own digits
      {1, "Origin Time       2014/12/31 23:49", "origin", "(none)"},
      {1, "Origin Time       2014/02/30 23:49:00", "origin", "(none)"},
      {10, "Record Time       ", "record", "(none)"},
      {2, "Lat.              35.785N", "latitude", "(none)"},
      {2, "Lat.              95.0", "latitude", "(none)"},  // no such latitude
      {3, "Long.             400", "longitude", "(none)"},
      {4, "Depth. (km)       deep", "depth", "(none)"},
      {4, "Depth. (km)       1e999", "depth", "(none)"},
      {5, "Mag.              4.2.1", "magnitude", "(none)"},
      {5, "Mag.              ", "magnitude", "(none)"},
      {9, "Station Height(m) 1 4", "height", "(none)"},
      {12, "Duration Time(s)  0x44", "duration", "(none)"},
      {15, "Max. Acc. (gal)   nan", "max_acc", "(none)"},
      {15, "Max. Acc.", "max_acc", "(none)"},
      {7, "Station Lat.      ", "station_latitude", "(none)"},
      // Another label on the line: not this line's fact.
      {15, "Last Correction   6.847", "max_acc", "(none)"},
      {6, "Header line 6     CHB002", "code", ""},
      {13, "Recorder          4", "direction", ""},
  };
  for (const Case& t : cases) {
    std::vector<std::string> header = knet_2014();
    header[static_cast<std::size_t>(t.line - 1)] = t.text;
    const HeaderFacts f = header_facts(header);
    EXPECT_EQ(fact(f, t.fact), t.want) << t.text;
    // Every other fact as before.
    const HeaderFacts before = header_facts(knet_2014());
    for (const char* other : {"origin", "record", "latitude", "longitude", "depth", "magnitude",
                              "station_latitude", "station_longitude", "height", "duration",
                              "max_acc", "direction", "code"}) {
      if (other != t.fact) {
        EXPECT_EQ(fact(f, other), fact(before, other)) << t.text << " " << other;
      }
    }
  }
}

TEST(HeaderFacts, ShortHeaderLeavesTheMissingLinesFactsEmpty) {
  std::vector<std::string> header = knet_2014();
  header.resize(5);
  const HeaderFacts f = header_facts(header);
  EXPECT_EQ(text_of(f.magnitude), "4.2");
  EXPECT_EQ(f.station_code, "");
  EXPECT_FALSE(f.record_time);
  EXPECT_FALSE(f.max_acc_gal);
  EXPECT_FALSE(header_facts({}).origin_time);
}

}  // namespace
}  // namespace smproc
