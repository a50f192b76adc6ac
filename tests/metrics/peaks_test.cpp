// The peak of a component over the rows its waveform file holds: only those
// rows, the first of equal values, zero past the series, none without a row.
#include "metrics/peaks.h"

#include <gtest/gtest.h>

#include <vector>

namespace smproc {
namespace {

struct Case {
  const char* what;
  std::vector<double> x;  // samples 1..
  int nt, stride;
  std::optional<Peak> want;  // value and time for dt = 0.5 s
};

TEST(PeakOverRows, ByTheRowsTheFileHolds) {
  const Case cases[] = {
      {"every sample", {1, -9, -3, 0, 2}, 5, 1, Peak{9, 0.5}},
      {"a stride of 0 writes every sample", {1, -9, -3}, 3, 0, Peak{9, 0.5}},
      {"a stride of 2 never sees sample 2", {1, -9, -3, 0, 2}, 5, 2, Peak{3, 1.0}},
      {"samples past nt are not rows", {1, 2, 3, 40}, 3, 1, Peak{3, 1.0}},
      {"the first of equal values", {0, 2, -2, 2}, 4, 1, Peak{2, 0.5}},
      {"past the series, zeros", {-0.5}, 3, 1, Peak{0.5, 0.0}},
      {"all zero: the first row", {0, 0, 0}, 3, 1, Peak{0, 0.0}},
      {"a negative stride writes no row", {1, 2, 3}, 3, -1, std::nullopt},
      {"no samples, no row", {}, 0, 1, std::nullopt},
  };
  for (const Case& c : cases) {
    const WaveformSeries w{{c.x, c.x, c.x}, c.nt, c.stride, 0.5};
    const std::optional<Peak> got = peak_over_rows(w, 1);
    ASSERT_EQ(got.has_value(), c.want.has_value()) << c.what;
    if (!got) continue;
    EXPECT_EQ(got->value, c.want->value) << c.what;
    EXPECT_EQ(got->time, c.want->time) << c.what;
  }
}

TEST(PeakColumns, EmptyWithoutAWaveformRow) {
  const std::vector<double> x = {1, 2, 3};
  StationData data;
  data.waveform = WaveformSeries{{x, x, x}, 3, -2, 0.01};
  StationResult out;
  peaks(data, out);
  ASSERT_EQ(out.size(), 6u);
  for (const Column& c : out) EXPECT_TRUE(c.empty()) << c.name;
}

}  // namespace
}  // namespace smproc
