// Full-precision rows: the shortest text that reads back to the same double,
// comma after every field as in the fixed-width rows.
#include "output/full_precision.h"

#include <gtest/gtest.h>

#include <string>

#include "output/waveform_file.h"
#include "support/per_component.h"
#include "support/run_binary.h"

namespace smproc {
namespace {

using testing::each_const;
using testing::TempDir;

std::string row_of(std::initializer_list<double> values) {
  std::string text;
  {
    textio::Output out = textio::Output::to_text(&text, textio::unit_file, "t.csv");
    write_full_precision_row(out, values);
    out.close();
  }
  return text;
}

TEST(FullPrecisionRowTest, ShortestTextThatReadsBack) {
  struct Case {
    double v;
    const char* text;
  };
  for (const Case t : {Case{0.0, "0,\n"},
                       {-0.0, "-0,\n"},
                       {0.1, "0.1,\n"},
                       {12.345, "12.345,\n"},
                       {-2.5e-7, "-2.5e-07,\n"},
                       {0.0012, "0.0012,\n"},
                       {100000.0, "1e+05,\n"},
                       {123456.789, "123456.789,\n"},
                       {1.0 / 3.0, "0.3333333333333333,\n"},
                       {static_cast<double>(0.01f), "0.009999999776482582,\n"},
                       {5e-324, "5e-324,\n"},
                       {-2.2250738585072014e-308, "-2.2250738585072014e-308,\n"},
                       {1.7976931348623157e308, "1.7976931348623157e+308,\n"}}) {
    EXPECT_EQ(row_of({t.v}), t.text);
  }
  EXPECT_EQ(row_of({0.5, -1.0, 3.0, 1e-300}), "0.5,-1,3,1e-300,\n");
}

TEST(FullPrecisionRowTest, WaveformFileKeepsHeaderAndStride) {
  TempDir dir;
  PerComponent<Series> x;
  const double values[3][5] = {{0.1, -2.5e-7, 1e300, 0.0, 7.0},
                               {1.0 / 3.0, 2.0, -0.0, 4.5, 5.0},
                               {-1.0, 0.0012, 100000.0, 8.0, 9.0}};
  for (int c = 0; c < 3; ++c)
    for (double v : values[c]) x[c].append(v);
  // Every second sample of five: samples 1, 3, 5 at 0, 2 dt and 4 dt.
  write_waveform_file({dir.path()}, "w.csv", each_const(x), 5, 2, static_cast<double>(0.01f),
                      /*full_precision=*/true);
  EXPECT_EQ(dir.read("w.csv"),
            " time(s),NS,EW,UD\n"
            "0,0.1,0.3333333333333333,-1,\n"
            "0.019999999552965164,1e+300,-0,1e+05,\n"
            "0.03999999910593033,7,5,9,\n");
}

}  // namespace
}  // namespace smproc
