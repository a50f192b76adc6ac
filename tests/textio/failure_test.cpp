#include "textio/failure.h"

#include <gtest/gtest.h>

namespace smproc::textio {
namespace {

TEST(FailureReportTest, FourLinesForAFileThreeWithoutAFormat) {
  struct Case { Failure f; const char* text; };
  const Case cases[] = {
      {{"list in", "end of file", 11, "tky0070410231756.ns", "list io", false},
       "list in: end of file\n"
       "apparent state: unit 11 named tky0070410231756.ns\n"
       "last format: list io\n"
       "lately reading sequential formatted external IO\n"},
      {{"fmt", "read unexpected character", 11, "tky0070410231756.ud", "(18X,F4.0,6X,F10.0)",
        false},
       "fmt: read unexpected character\n"
       "apparent state: unit 11 named tky0070410231756.ud\n"
       "last format: (18X,F4.0,6X,F10.0)\n"
       "lately reading sequential formatted external IO\n"},
      {{"invalid integer", "read unexpected character", 5, std::nullopt, "list io", false},
       "invalid integer: read unexpected character\n"
       "apparent state: unit 5 (unnamed)\n"
       "last format: list io\n"
       "lately reading sequential formatted external IO\n"},
      {{"fmt", "can't write file", 6, std::nullopt, std::nullopt, true},
       "fmt: can't write file\n"
       "apparent state: unit 6 (unnamed)\n"
       "lately writing sequential formatted external IO\n"},
      {{"open", "Permission denied", 10, "amp3.csv", std::nullopt, true},
       "open: Permission denied\n"
       "apparent state: unit 10 named amp3.csv\n"
       "lately writing sequential formatted external IO\n"},
      {{"fmt", "No space left on device", 10, "amp3.csv", "(F8.3,4(',',F12.4))", true},
       "fmt: No space left on device\n"
       "apparent state: unit 10 named amp3.csv\n"
       "last format: (F8.3,4(',',F12.4))\n"
       "lately writing sequential formatted external IO\n"},
  };
  for (const Case& t : cases) EXPECT_EQ(report(t.f), t.text);
}

}  // namespace
}  // namespace smproc::textio
