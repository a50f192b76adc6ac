// --metrics adds the intensity measures' files and changes nothing else;
// its options are checked before anything is touched.
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "support/run_binary.h"

namespace smproc::testing {
namespace {

const char* const velocity = "0\n1\n0.1 0.2 20 25\n1\n0\n0\nvel.csv\n\n";

void copy_example(const TempDir& dir) {
  for (const char* ext : {".ns", ".ew", ".ud"})
    dir.write(std::string("tky0070410231756") + ext,
              source_file(std::string("examples/tky0070410231756") + ext));
}

TEST(Metrics, AddFilesAndLeaveTheConsoleAndEveryOtherFileAsTheyWere) {
  TempDir plain, with;
  copy_example(plain);
  copy_example(with);
  const Outcome a = run_smproc(plain.path(), velocity);
  const Outcome b = run_smproc(with.path(), velocity, {"--metrics"});
  ASSERT_EQ(a.status, 0) << a.err;
  ASSERT_EQ(b.status, 0) << b.err;
  EXPECT_EQ(a.out, b.out);
  EXPECT_EQ(a.err, b.err);
  auto before = file_tree(plain.path());
  auto after = file_tree(with.path());
  for (const char* added : {"metrics.json", "response_spectra.csv", "fas_smoothed.csv"}) {
    ASSERT_EQ(after.count(added), 1u) << added;
    after.erase(added);
  }
  EXPECT_EQ(before, after);

  const auto j = nlohmann::json::parse(with.read("metrics.json"));
  EXPECT_EQ(j["samples"], 6000);
  EXPECT_EQ(j["response_spectra"]["period_s"].size(), 21u);
  EXPECT_GT(j["components"]["EW"]["pga_gal"].get<double>(), 0.0);
  const std::string jma_class = j["jma"]["class"];
  EXPECT_FALSE(jma_class.empty());
  const auto rows = lines_of(with.read("response_spectra.csv"));
  EXPECT_EQ(rows.size(), 22u);  // a header and 21 periods of one damping
}

TEST(Metrics, BadOptionsAreUsageErrorsThatTouchNothing) {
  const std::vector<std::vector<std::string>> cases = {
      {"--periods", "0"},          {"--periods", "-1,2"},     {"--periods", "0.1,,2"},
      {"--periods", "fast"},       {"--periods", "inf"},      {"--damping", "1"},
      {"--damping", "-0.01"},      {"--damping", "nan"},      {"--ko-bandwidth", "0"},
      {"--ko-bandwidth", "-40"},   {"--ko-bandwidth", "inf"},
  };
  for (const auto& args : cases) {
    TempDir dir;
    copy_example(dir);
    const auto before = file_tree(dir.path());
    const Outcome o = run_smproc(dir.path(), velocity, args);
    EXPECT_EQ(o.status, 2) << args[0] << " " << args[1];
    EXPECT_EQ(o.out, "") << args[0] << " " << args[1];
    EXPECT_NE(o.err.find("Try 'smproc --help'"), std::string::npos) << o.err;
    EXPECT_EQ(file_tree(dir.path()), before) << args[0] << " " << args[1];
  }
}

TEST(Metrics, APeriodThatNeedsTooLongATransformIsRefusedNotAttempted) {
  // At 1 Hz a period of 0.001 s needs the record 16384 times finer: with
  // 2048 points, 2^25, past the longest transform.
  TempDir dir;
  copy_example(dir);
  const Outcome o = run_smproc(dir.path(), velocity, {"--rate", "1", "--periods", "0.001,1"});
  EXPECT_EQ(o.status, 2);
  EXPECT_NE(o.err.find("the period 0.001 s needs the record resampled 16384 times finer"),
            std::string::npos)
      << o.err;
  EXPECT_TRUE(dir.exists("vel.csv"));
  EXPECT_FALSE(dir.exists("metrics.json"));
}

TEST(Metrics, EventSummaryGetsTheIntensityColumnsAndThePacket) {
  TempDir dir;
  std::filesystem::create_directories(dir.path() / "event");
  for (const char* ext : {".ns", ".ew", ".ud"})
    dir.write(std::string("event/tky0070410231756") + ext,
              source_file(std::string("examples/tky0070410231756") + ext));
  dir.write("velocity.answers", velocity);
  const Outcome o = run_smproc(dir.path(), "",
                               {"--answers", "velocity.answers", "--periods", "0.3,1", "-o",
                                "out", "event"});
  ASSERT_EQ(o.status, 0) << o.err;
  const auto rows = lines_of(dir.read("out/summary.csv"));
  ASSERT_EQ(rows.size(), 2u);
  const std::string head = rows[0];
  const std::string tail =
      "jma_intensity,jma_class,pga_rotd50_gal,pgv_rotd50_cm_s,arias_ns_m_s,arias_ew_m_s,"
      "arias_ud_m_s,d5_95_ns_s,d5_95_ew_s,d5_95_ud_s,psa_rotd50_0.3_gal,psa_rotd50_1_gal,warnings";
  ASSERT_GE(head.size(), tail.size());
  EXPECT_EQ(head.substr(head.size() - tail.size()), tail);
  const auto packet = nlohmann::json::parse(dir.read("out/groundmotion.json"));
  EXPECT_EQ(packet["type"], "FeatureCollection");
  ASSERT_EQ(packet["features"].size(), 1u);
  EXPECT_EQ(packet["features"][0]["properties"]["name"], "tky0070410231756");
  // The table shows the intensity and its class.
  EXPECT_NE(lines_of(o.out)[0].find("JMA  class"), std::string::npos) << o.out;
}

}  // namespace
}  // namespace smproc::testing
