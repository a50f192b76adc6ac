// A record file's name: the twelve endings in either case give the stem,
// the component and the sensor; any other name gives none.
#include "records/record_name.h"

#include <gtest/gtest.h>

namespace smproc {
namespace {

TEST(RecordName, EndingsGiveStemComponentAndSensor) {
  struct Case {
    const char* file;
    const char* stem;
    int component;
    Sensor sensor;
    bool lower;
  };
  const Case cases[] = {
      {"TKY0070410231756.NS", "TKY0070410231756", 0, Sensor::none, false},
      {"st.ew", "st", 1, Sensor::none, true},
      {"st.UD", "st", 2, Sensor::none, false},
      {"NGNH311106302345.NS1", "NGNH311106302345", 0, Sensor::borehole, false},
      {"x.ew1", "x", 1, Sensor::borehole, true},
      {"x.UD1", "x", 2, Sensor::borehole, false},
      {"x.ns2", "x", 0, Sensor::surface, true},
      {"x.EW2", "x", 1, Sensor::surface, false},
      {"x.ud2", "x", 2, Sensor::surface, true},
      // Only the last ending is taken; the stem may hold dots and blanks.
      {"st.ns.ew", "st.ns", 1, Sensor::none, true},
      {"a.NS1.UD2", "a.NS1", 2, Sensor::surface, false},
      {"my record.ns", "my record", 0, Sensor::none, true},
      {"....NS2", "...", 0, Sensor::surface, false},  // a stem of dots, but not "." or ".."
  };
  for (const Case& c : cases) {
    const std::optional<RecordName> r = parse_record_name(c.file);
    ASSERT_TRUE(r) << c.file;
    EXPECT_EQ(r->stem, c.stem) << c.file;
    EXPECT_EQ(r->component, c.component) << c.file;
    EXPECT_EQ(r->sensor, c.sensor) << c.file;
    EXPECT_EQ(r->lower, c.lower) << c.file;
  }
}

TEST(RecordName, OtherNamesAreNoRecords) {
  for (const char* file : {
           "st",          // no ending
           "st.Ns",       // mixed case
           "st.nS2",      // mixed case
           "st.NS3",      // no such sensor
           "st.NS0",      // no such sensor
           "st.ns12",     // a digit too many
           "st.NS1x",     // something after the ending
           "st.nsx",      // something after the ending
           "st.csv",      // another ending
           ".ns",         // no stem
           ".UD1",        // no stem
           "..ns",        // the stem "." would be the folder itself
           "...EW2",      // the stem ".." would be the folder above
           "dir/st.ns",   // a folder part: not a plain file name
           "../x.NS2",    // a folder part: not a plain file name
           "",
       })
    EXPECT_FALSE(parse_record_name(file)) << file;
}

TEST(RecordName, EndingsAndStationNames) {
  struct Case {
    int component;
    Sensor sensor;
    bool lower;
    const char* ending;
  };
  for (const Case& c : {Case{0, Sensor::none, true, ".ns"}, Case{2, Sensor::none, false, ".UD"},
                        Case{0, Sensor::borehole, false, ".NS1"},
                        Case{1, Sensor::borehole, true, ".ew1"},
                        Case{2, Sensor::surface, false, ".UD2"},
                        Case{1, Sensor::surface, true, ".ew2"}}) {
    const std::string ending = record_ending(c.component, c.sensor, c.lower);
    EXPECT_EQ(ending, c.ending);
    // An ending made for a set reads back as that set.
    const std::optional<RecordName> r = parse_record_name("s" + ending);
    ASSERT_TRUE(r) << ending;
    EXPECT_EQ(r->sensor, c.sensor) << ending;
    EXPECT_EQ(r->component, c.component) << ending;
  }
  EXPECT_EQ(station_name("NGNH311106302345", Sensor::borehole), "NGNH311106302345_borehole");
  EXPECT_EQ(station_name("NGNH311106302345", Sensor::surface), "NGNH311106302345_surface");
  EXPECT_EQ(station_name("CHB0021412312349", Sensor::none), "CHB0021412312349");
}

}  // namespace
}  // namespace smproc
