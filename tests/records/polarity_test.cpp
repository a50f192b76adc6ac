#include "records/polarity.h"

#include <gtest/gtest.h>

#include <cmath>


namespace smproc {
namespace {

TEST(ReverseTest, StopsAtTheCapacityForAnOverLongCount) {
  Series xr;
  xr.extend_to(capacity);
  xr(capacity) = 4;
  reverse(xr, capacity + 7000);
  EXPECT_EQ(xr.get(capacity), -4);
  EXPECT_EQ(xr.size(), capacity);
}

TEST(ReverseTest, PositionsTheRecordDidNotReachBecomeNegativeZeros) {
  Series xr;
  xr.append(2);
  reverse(xr, 3);
  EXPECT_EQ(xr.size(), 3);
  EXPECT_EQ(xr.get(1), -2);
  EXPECT_TRUE(std::signbit(xr.get(2)));
  EXPECT_TRUE(std::signbit(xr.get(3)));
}

}  // namespace
}  // namespace smproc
