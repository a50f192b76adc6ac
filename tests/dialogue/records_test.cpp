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

}  // namespace
}  // namespace smproc
