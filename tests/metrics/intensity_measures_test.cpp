// A station's measures and the files that hold them: the peaks' first
// occurrence, the CSV layouts and the JSON's keys.
#include "metrics/intensity_measures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <sstream>
#include <vector>

#include "metrics/ground_motion_packet.h"

namespace smproc {
namespace {

MotionSeries small_motion() {
  MotionSeries s;
  s.dt = 0.01;
  s.nf = 512;
  for (std::size_t c = 0; c < 3; ++c) {
    for (int i = 0; i < 400; ++i) {
      const double a = (c + 1) * 50.0 * std::sin(0.2 * i) * std::exp(-0.01 * i);
      s.acc[c].push_back(a);
      s.vel[c].push_back(a / 10);
      s.dis[c].push_back(a / 100);
    }
    s.ground[c] = s.acc[c];
    for (int k = 2; k <= 257; ++k) s.amplitudes[c].push_back(1.0);
  }
  for (int k = 2; k <= 257; ++k) s.frequencies.push_back((k - 1) / (512 * 0.01));
  return s;
}

TEST(PeakAt, FirstOccurrenceOfTheLargestMagnitude) {
  const std::vector<double> x = {1, -4, 4, 2};
  const PeakAt p = peak_at(x, 0.5);
  EXPECT_EQ(p.value, 4.0);
  EXPECT_EQ(p.time, 0.5);
}

TEST(MeasureFiles, HaveTheirColumnsAndOneRowPerDampingAndPeriod) {
  MeasureOptions o = default_measure_options();
  o.periods = {0.1, 0.5, 2};
  o.dampings = {0.05, 0.1};
  const IntensityMeasures m = intensity_measures(small_motion(), o);
  std::istringstream rs(response_spectra_csv(m));
  std::string line;
  std::getline(rs, line);
  EXPECT_EQ(line, "damping,period_s,psa_ns_gal,psa_ew_gal,psa_ud_gal,psa_rotd50_gal,psa_rotd100_gal");
  std::vector<std::string> rows;
  while (std::getline(rs, line)) rows.push_back(line);
  ASSERT_EQ(rows.size(), 6u);
  EXPECT_EQ(rows[0].substr(0, 9), "0.05,0.1,");
  EXPECT_EQ(rows[5].substr(0, 6), "0.1,2,");
  const std::string fas = smoothed_spectra_csv(m);
  EXPECT_EQ(fas.substr(0, fas.find('\n')), "frequency_hz,fas_ns_gal_s,fas_ew_gal_s,fas_ud_gal_s");
}

TEST(MeasureFiles, JsonParsesWithEveryKey) {
  MeasureOptions o = default_measure_options();
  o.periods = {0.1, 1};
  const IntensityMeasures m = intensity_measures(small_motion(), o);
  const auto j = nlohmann::json::parse(metrics_json({"ST_surface", "ST", 0.01, 400, std::nullopt}, m));
  EXPECT_EQ(j["station"], "ST_surface");
  EXPECT_TRUE(j["bandpass_hz"].is_null());
  for (const char* c : {"NS", "EW", "UD"})
    for (const char* k : {"pga_gal", "pga_time_s", "pgv_cm_s", "pgv_time_s", "pgd_cm", "pgd_time_s",
                          "arias_m_s", "cav_cm_s", "d5_75_s", "d5_95_s"})
      EXPECT_TRUE(j["components"][c].contains(k)) << c << " " << k;
  EXPECT_EQ(j["components"]["UD"]["pga_gal"].get<double>(), m.components[2].pga.value);
  EXPECT_EQ(j["response_spectra"]["psa_gal"]["RotD50"].size(), 1u);
  EXPECT_EQ(j["response_spectra"]["psa_gal"]["RotD50"][0].size(), 2u);
  EXPECT_TRUE(j["jma"].contains("class"));

  const PacketStation station{"ST", "ST", 35.0, 140.0, 10.0, "surface", &m};
  const auto packet = nlohmann::json::parse(
      ground_motion_packet({"20141231144900", "2014-12-31T14:49:00Z", 4.5, 35.5, 140.1, 30.0},
                           {&station, 1}, "2026-12-09T00:00:00Z"));
  EXPECT_EQ(packet["type"], "FeatureCollection");
  EXPECT_EQ(packet["event"]["geometry"]["coordinates"][2].get<double>(), 30000.0);
  const auto& traces = packet["features"][0]["properties"]["streams"][0]["traces"];
  ASSERT_EQ(traces.size(), 4u);
  EXPECT_EQ(traces[3]["properties"]["channel_code"], "ROTD50");
  EXPECT_FALSE(traces[3]["properties"]["as_recorded"].get<bool>());
}

TEST(Shortest, ReadsBackToTheSameDouble) {
  for (const double v : {0.1, 1.0 / 3, 1e-300, 123456789.125, -0.0, 5e-324})
    EXPECT_EQ(std::strtod(shortest(v).c_str(), nullptr), v) << shortest(v);
  EXPECT_EQ(shortest(0.3), "0.3");
  EXPECT_EQ(shortest(10.0), "10");
}

}  // namespace
}  // namespace smproc
