// The record's own peak against its header's Max. Acc.: 0.0005 gal plus
// 0.1 % of the stated value, no more.
#include "records/record_checks.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace smproc {
namespace {

TEST(HeaderPeak, AgreesWithinHalfAThousandthOfAGalAndATenthOfAPercent) {
  struct Case { double stated, own; bool agrees; };
  const Case cases[] = {
      {6.847, 6.846762, true},       // a real record: 0.000238 apart
      {8.0, 8.000449, true},         // the largest real difference, 0.000449
      {0.141, 0.141017, true},
      {0.0, 0.0005, true},           // the absolute part alone
      {0.0, 0.0006, false},
      {100.0, 100.1004, true},       // 0.1005 allowed: just inside
      {100.0, 100.1006, false},      // just outside
      {100.0, 99.8994, false},       // below as above
      {326.999, 327.32, true},       // 0.3275 allowed
      {326.999, 327.33, false},
      {176.491, 88.2455, false},     // half: a scale factor wrong by 2
      {176.491, std::numeric_limits<double>::quiet_NaN(), false},
  };
  for (const Case& t : cases)
    EXPECT_EQ(header_peak_agrees(t.stated, t.own), t.agrees) << t.stated << " " << t.own;
}

TEST(HeaderPeak, PeakIsTheLargestMagnitude) {
  EXPECT_EQ(peak_magnitude(std::vector<double>{1.0, -3.5, 2.0}), 3.5);
  EXPECT_EQ(peak_magnitude(std::vector<double>{}), 0.0);
  EXPECT_TRUE(std::isnan(peak_magnitude(std::vector<double>{1.0, std::nan(""), 9.0})));
}

}  // namespace
}  // namespace smproc
