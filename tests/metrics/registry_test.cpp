// The registered columns: their names and order (summary.csv's header), the
// same whatever a station got to, and their values written as the files do.
#include "metrics/registry.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

namespace smproc {
namespace {

std::vector<std::string> names_of(const StationResult& r) {
  std::vector<std::string> names;
  for (const Column& c : r) names.push_back(c.name);
  return names;
}

TEST(RegisteredMetrics, SameColumnsWhateverTheStationGotTo) {
  const std::vector<double> x(10, 1.0);
  StationData full;
  full.header = header_facts({"Origin Time       2014/12/31 23:49:00", "Lat.              35.785",
                              "Long.             139.887", "Depth. (km)       84",
                              "Mag.              4.2", "Station Code      C",
                              "Station Lat.      35.7868", "Station Long.     139.9031",
                              "Station Height(m) 14", "Record Time       2014/12/31 23:50:00",
                              "Sampling Freq(Hz) 100Hz", "Duration Time(s)  68",
                              "Dir.              4", "Scale Factor      7845(gal)/8223790",
                              "Max. Acc. (gal)   3.868"});
  full.max_acc_gal = {full.header.max_acc_gal, full.header.max_acc_gal, full.header.max_acc_gal};
  full.samples = {10, 10, 10};
  full.waveform = WaveformSeries{{x, x, x}, 10, 1, 0.01};
  full.processing = {100.0, true, Corners{0.1, 0.2, 20, 25}, Operation::integrate};
  StationData counted;
  counted.samples = {10, std::nullopt, std::nullopt};
  const std::vector<std::string> want = {
      "station_code", "station_latitude", "station_longitude", "sampling_frequency", "samples_ns",
      "samples_ew",   "samples_ud",       "peak_ns",           "peak_time_ns",       "peak_ew",
      "peak_time_ew", "peak_ud",          "peak_time_ud",
      "sensor", "origin_time_utc", "event_latitude", "event_longitude", "event_depth_km",
      "magnitude", "station_height_m", "record_start_utc", "duration_s", "header_max_acc_gal",
      "epicentral_distance_km", "hypocentral_distance_km", "rate_hz", "bandpass_hz",
      "operation", "output_quantity", "output_unit", "smproc_version"};
  const StationResult layout = measure(StationData{});
  EXPECT_EQ(names_of(layout), want);
  EXPECT_EQ(names_of(measure(full)), want);
  EXPECT_EQ(names_of(measure(counted)), want);
  for (const Column& c : measure(full)) EXPECT_FALSE(c.empty()) << c.name;
}

TEST(ColumnText, FixedFormsWhereTheyHoldTheValueShortestBeyond) {
  const double inf = std::numeric_limits<double>::infinity();
  const struct {
    Column column;
    const char* want;
  } cases[] = {
      {real_column("r", "", 26.30966), "26.3097"},
      {real_column("r", "", 0.00004), "0.0000"},
      {real_column("r", "", -12.5), "-12.5000"},
      {real_column("r", "", 123456789012345.0), "123456789012345.0000"},
      {real_column("r", "", 999999999999999.9), "999999999999999.8750"},
      {real_column("r", "", 1e15), "1e+15"},
      {real_column("r", "", 4.2e258), "4.2e+258"},
      {real_column("r", "", inf), "inf"},
      {time_column("t", "", 16.319999635219574), "16.320"},
      {time_column("t", "", 3.3e43), "3.3e+43"},
      {integer_column("n", "", 5992), "5992"},
      {real_column("r", "", std::nullopt), ""},
  };
  for (const auto& c : cases) EXPECT_EQ(formatted(c.column), c.want) << c.want;
}

// summary.csv writes a real as the shortest text that reads back to it, so
// a peak of a few ten-thousandths keeps its digits; times keep three decimals.
TEST(ColumnText, RealsInSummaryCsvReadBackExactly) {
  const struct {
    Column column;
    const char* want;
  } cases[] = {
      {real_column("r", "", 26.30966), "26.30966"},
      {real_column("r", "", 0.00023456789), "0.00023456789"},
      {real_column("r", "", 0.00004), "4e-05"},
      {real_column("r", "", -12.5), "-12.5"},
      {real_column("r", "", 0.1 + 0.2), "0.30000000000000004"},
      {real_column("r", "", 4.2e258), "4.2e+258"},
      {time_column("t", "", 16.319999635219574), "16.320"},
      {integer_column("n", "", 5992), "5992"},
      {real_column("r", "", std::nullopt), ""},
  };
  for (const auto& c : cases) EXPECT_EQ(formatted(c.column, Form::csv), c.want) << c.want;
}

}  // namespace
}  // namespace smproc
