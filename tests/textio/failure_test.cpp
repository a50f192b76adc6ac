#include "textio/failure.h"

#include <gtest/gtest.h>

namespace smproc::textio {
namespace {

TEST(FailureReportTest, FourLinesForAFileThreeWithoutAFormatThenThePlainLine) {
  struct Case { Failure f; const char* text; };
  const Case cases[] = {
      {{"list in", "end of file", 11, "tky0070410231756.ns", "list io", false,
        "The record file tky0070410231756.ns ends after line 3."},
       "list in: end of file\n"
       "apparent state: unit 11 named tky0070410231756.ns\n"
       "last format: list io\n"
       "lately reading sequential formatted external IO\n"
       "The record file tky0070410231756.ns ends after line 3.\n"},
      {{"fmt", "read unexpected character", 11, "tky0070410231756.ud", "(18X,F4.0,6X,F10.0)",
        false, "Line 14 of the record file tky0070410231756.ud could not be read."},
       "fmt: read unexpected character\n"
       "apparent state: unit 11 named tky0070410231756.ud\n"
       "last format: (18X,F4.0,6X,F10.0)\n"
       "lately reading sequential formatted external IO\n"
       "Line 14 of the record file tky0070410231756.ud could not be read.\n"},
      {{"invalid integer", "read unexpected character", 5, std::nullopt, "list io", false,
        "The answer to \"Change +/-? (YES=1)?? :\" could not be read."},
       "invalid integer: read unexpected character\n"
       "apparent state: unit 5 (unnamed)\n"
       "last format: list io\n"
       "lately reading sequential formatted external IO\n"
       "The answer to \"Change +/-? (YES=1)?? :\" could not be read.\n"},
      // Without a plain line (a failure raised with no words for it): four lines.
      {{"fmt", "can't write file", 6, std::nullopt, std::nullopt, true, ""},
       "fmt: can't write file\n"
       "apparent state: unit 6 (unnamed)\n"
       "lately writing sequential formatted external IO\n"},
      {{"open", "Permission denied", 10, "amp3.csv", std::nullopt, true,
        "The spectrum file amp3.csv could not be opened for writing: Permission denied."},
       "open: Permission denied\n"
       "apparent state: unit 10 named amp3.csv\n"
       "lately writing sequential formatted external IO\n"
       "The spectrum file amp3.csv could not be opened for writing: Permission denied.\n"},
      {{"fmt", "No space left on device", 10, "amp3.csv", "(F8.3,4(',',F12.4))", true,
        "The spectrum file amp3.csv could not be written: No space left on device."},
       "fmt: No space left on device\n"
       "apparent state: unit 10 named amp3.csv\n"
       "last format: (F8.3,4(',',F12.4))\n"
       "lately writing sequential formatted external IO\n"
       "The spectrum file amp3.csv could not be written: No space left on device.\n"},
  };
  for (const Case& t : cases) EXPECT_EQ(report(t.f), t.text);
}

}  // namespace
}  // namespace smproc::textio
