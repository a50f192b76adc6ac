#include "records/polarity.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "support/console_capture.h"

namespace smproc {
namespace {

using testing::CapturedConsole;

const char* const first_question = "\n  Change +/-? (YES=1)?? :\n";

// Samples 1..4 of every component: 1.5, 0, -2, 3; sample 5 (above nt) is 9.
std::unique_ptr<State> four_samples() {
  auto s = std::make_unique<State>();
  s->nt = 4;
  for (Signal* xr : {&s->xr1, &s->xr2, &s->xr3}) {
    (*xr)(1) = 1.5;
    (*xr)(2) = 0;
    (*xr)(3) = -2;
    (*xr)(4) = 3;
    (*xr)(5) = 9;
  }
  return s;
}

void expect_samples(const Signal& xr, double sign, const char* what) {
  EXPECT_EQ(xr(1), sign * 1.5) << what;
  EXPECT_EQ(std::signbit(xr(2)), sign < 0) << what << ": zero takes the sign";
  EXPECT_EQ(xr(3), sign * -2) << what;
  EXPECT_EQ(xr(4), sign * 3) << what;
  EXPECT_EQ(xr(5), 9) << what << ": above nt";
}

TEST(PolarityStepTest, ReversesOnlyTheComponentsAnsweredOne) {
  auto s = four_samples();
  CapturedConsole c("1\n0\n1\n0\n");
  polarity_step(*s, c.con());
  EXPECT_EQ(c.text(), std::string(first_question) +
                          "\n  Change from + to - of FILE 1 ? (YES=1)?? :\n"
                          "  Change from + to - of FILE 2 ? (YES=1)?? :\n"
                          "  Change from + to - of FILE 3 ? (YES=1)?? :\n");
  expect_samples(s->xr1, 1, "NS");
  expect_samples(s->xr2, -1, "EW");
  expect_samples(s->xr3, 1, "UD");
}

TEST(PolarityStepTest, AnyAnswerButOneAsksNothingMore) {
  for (const char* answer : {"0\n", "2\n", "-1\n"}) {
    auto s = four_samples();
    CapturedConsole c(std::string(answer) + "1\n");
    polarity_step(*s, c.con());
    EXPECT_EQ(c.text(), first_question) << answer;
    expect_samples(s->xr1, 1, answer);
    int next = 0;
    textio::list_read(c.con().in, {&next});
    EXPECT_EQ(next, 1) << answer << ": the next answer is still unread";
  }
}

TEST(ReverseTest, StopsAtTheArrayEndForAnOverLongCount) {
  auto s = std::make_unique<State>();
  s->xr1(capacity) = 4;
  s->xr2(1) = 5;
  reverse(s->xr1, capacity + 7000);
  EXPECT_EQ(s->xr1(capacity), -4);
  EXPECT_EQ(s->xr2(1), 5);
}

}  // namespace
}  // namespace smproc
