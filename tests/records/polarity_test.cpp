#include "records/polarity.h"

#include <gtest/gtest.h>

#include <cmath>

#include "support/console_capture.h"
#include "support/per_component.h"

namespace smproc {
namespace {

using testing::CapturedConsole;
using testing::each;

const char* const first_question = "\n  Change +/-? (YES=1)?? :\n";

const int nt = 4;

// Samples 1..4 of every component: 1.5, 0, -2, 3; sample 5 (above nt) is 9.
PerComponent<Series> four_samples() {
  PerComponent<Series> xr;
  for (Series& x : xr) {
    for (double v : {1.5, 0.0, -2.0, 3.0, 9.0}) x.append(v);
  }
  return xr;
}

void expect_samples(const Series& xr, double sign, const char* what) {
  EXPECT_EQ(xr.get(1), sign * 1.5) << what;
  EXPECT_EQ(std::signbit(xr.get(2)), sign < 0) << what << ": zero takes the sign";
  EXPECT_EQ(xr.get(3), sign * -2) << what;
  EXPECT_EQ(xr.get(4), sign * 3) << what;
  EXPECT_EQ(xr.get(5), 9) << what << ": above nt";
}

TEST(PolarityStepTest, ReversesOnlyTheComponentsAnsweredOne) {
  auto xr = four_samples();
  PolarityAnswers a;
  CapturedConsole c("1\n0\n1\n0\n");
  polarity_step(c.con(), each(xr), nt, a);
  EXPECT_EQ(c.text(), std::string(first_question) +
                          "\n  Change from + to - of FILE 1 ? (YES=1)?? :\n"
                          "  Change from + to - of FILE 2 ? (YES=1)?? :\n"
                          "  Change from + to - of FILE 3 ? (YES=1)?? :\n");
  EXPECT_EQ(a.change, 1);
  EXPECT_EQ(a.reverse, (PerComponent<int>{0, 1, 0}));
  expect_samples(xr[0], 1, "NS");
  expect_samples(xr[1], -1, "EW");
  expect_samples(xr[2], 1, "UD");
}

TEST(PolarityStepTest, AnyAnswerButOneAsksNothingMore) {
  for (const char* answer : {"0\n", "2\n", "-1\n"}) {
    auto xr = four_samples();
    PolarityAnswers a;
    CapturedConsole c(std::string(answer) + "1\n");
    polarity_step(c.con(), each(xr), nt, a);
    EXPECT_EQ(c.text(), first_question) << answer;
    expect_samples(xr[0], 1, answer);
    int next = 0;
    textio::list_read(c.con().in, {&next});
    EXPECT_EQ(next, 1) << answer << ": the next answer is still unread";
  }
}

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
