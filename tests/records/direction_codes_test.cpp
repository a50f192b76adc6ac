// What a header's "Dir." line states: K-NET's N-S, E-W, U-D name a
// component; KiK-net's codes 1 to 6 a component of the borehole or the
// surface sensor; anything else names neither.
#include "records/record_header.h"

#include <gtest/gtest.h>

namespace smproc {
namespace {

TEST(DirectionCodes, StatedDirectionsNameComponentAndSensor) {
  struct Case {
    const char* stated;
    int component;
    Sensor sensor;
  };
  const Case cases[] = {
      {"N-S", 0, Sensor::none},      {"E-W", 1, Sensor::none},      {"U-D", 2, Sensor::none},
      {"n-s", 0, Sensor::none},      {"E - W", 1, Sensor::none},    {"UD", 2, Sensor::none},
      {"1", 0, Sensor::borehole},    {"2", 1, Sensor::borehole},    {"3", 2, Sensor::borehole},
      {"4", 0, Sensor::surface},     {"5", 1, Sensor::surface},     {"6", 2, Sensor::surface},
      {" 4 ", 0, Sensor::surface},   {"\t3", 2, Sensor::borehole},
      // Neither form: no component, so nothing to disagree with.
      {"", -1, Sensor::none},        {"0", -1, Sensor::none},       {"7", -1, Sensor::none},
      {"12", -1, Sensor::none},      {"-1", -1, Sensor::none},      {"4.0", -1, Sensor::none},
      {"4 (surface)", -1, Sensor::none}, {"N-W", -1, Sensor::none},
  };
  for (const Case& c : cases) {
    const StatedDirection d = stated_direction(c.stated);
    EXPECT_EQ(d.component, c.component) << '"' << c.stated << '"';
    EXPECT_EQ(d.sensor, c.sensor) << '"' << c.stated << '"';
  }
}

TEST(DirectionCodes, CodesOfEachSensorsComponents) {
  const int borehole[] = {1, 2, 3}, surface[] = {4, 5, 6};
  for (int c = 0; c < 3; ++c) {
    EXPECT_EQ(direction_code(c, Sensor::borehole), borehole[c]);
    EXPECT_EQ(direction_code(c, Sensor::surface), surface[c]);
    EXPECT_EQ(direction_code(c, Sensor::none), 0);
  }
}

}  // namespace
}  // namespace smproc
