// The real NIED and JMA records, where they are at hand beside the source
// tree: no component's header peak disagrees with its record, and the
// summary places a station in time and space.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "support/run_binary.h"

namespace smproc {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;

fs::path real_records() { return fs::path(SMPROC_SOURCE_DIR) / ".." / "shared" / "real"; }

// Every real record set in one event folder; KiK-net's two sensors as two
// stems of the usual endings, B (borehole, .NS1 ..) and S (surface, .NS2 ..).
void gather(const fs::path& event) {
  fs::create_directories(event);
  for (const auto& set : fs::directory_iterator(real_records())) {
    if (!set.is_directory()) continue;
    for (const auto& file : fs::directory_iterator(set.path())) {
      static const std::map<std::string, const char*> kiknet = {
          {".NS1", "B.NS"}, {".EW1", "B.EW"}, {".UD1", "B.UD"},
          {".NS2", "S.NS"}, {".EW2", "S.EW"}, {".UD2", "S.UD"}};
      const std::string ending = file.path().extension().string();
      fs::path name = file.path().filename();
      if (const auto k = kiknet.find(ending); k != kiknet.end()) {
        name = k->second;
      } else if (ending != ".NS" && ending != ".EW" && ending != ".UD") {
        continue;
      }
      fs::copy_file(file.path(), event / name);
      fs::permissions(event / name, fs::perms::owner_write, fs::perm_options::add);
    }
  }
}

// summary.csv's rows as maps from column name to cell (no cell holds a comma here).
std::map<std::string, std::map<std::string, std::string>> rows_of(const std::string& csv) {
  const auto split = [](const std::string& line) {
    std::vector<std::string> f;
    std::size_t at = 0;
    for (;;) {
      const std::size_t comma = line.find(',', at);
      f.push_back(line.substr(at, comma - at));
      if (comma == std::string::npos) return f;
      at = comma + 1;
    }
  };
  const std::vector<std::string> lines = testing::lines_of(csv);
  const std::vector<std::string> names = split(lines.at(0));
  std::map<std::string, std::map<std::string, std::string>> rows;
  for (std::size_t k = 1; k < lines.size(); ++k) {
    const std::vector<std::string> f = split(lines[k]);
    for (std::size_t c = 0; c < names.size() && c < f.size(); ++c) rows[f[0]][names[c]] = f[c];
  }
  return rows;
}

TEST(RealRecords, NoHeaderPeakDisagreesAndTheSummaryPlacesEachStation) {
  if (!fs::exists(real_records())) GTEST_SKIP() << "no real records beside the source tree";
  TempDir dir;
  gather(dir.path() / "event");
  const testing::Outcome o =
      testing::run_smproc(dir.path(), "", {"--integrate", "once", "-o", "out", "event"});
  ASSERT_EQ(o.status, 0) << o.err;
  // The header's Max. Acc. is each record's own peak to its three decimals.
  EXPECT_EQ(o.err.find("Max. Acc."), std::string::npos) << o.err;
  EXPECT_EQ(o.err.find("left out"), std::string::npos) << o.err;

  auto rows = rows_of(dir.read("out/summary.csv"));
  ASSERT_EQ(rows.size(), 5u);
  const std::map<std::string, std::string> chb002 = {
      {"sensor", ""},
      {"origin_time_utc", "2014-12-31T14:49:00Z"},  // 23:49:00 JST
      {"event_latitude", "35.785"},
      {"event_longitude", "139.887"},
      {"event_depth_km", "84"},
      {"magnitude", "4.2"},
      {"station_height_m", "14"},
      {"record_start_utc", "2014-12-31T14:49:45Z"},  // 23:50:00 JST less 15 s
      {"duration_s", "68"},
      {"header_max_acc_gal", "7.859"},  // UD's, the largest of 3.868, 6.847, 7.859
  };
  for (const auto& [name, want] : chb002)
    EXPECT_EQ(rows["CHB0021412312349"][name], want) << name;
  // By hand from the local radii of the ellipsoid at 35.79 N (110.955 km a
  // degree of latitude, 90.389 km of longitude): 0.0018 and 0.0161 degrees
  // give 1.469 km.
  const double epi = std::stod(rows["CHB0021412312349"]["epicentral_distance_km"]);
  EXPECT_NEAR(epi, 1.469, 0.001);
  EXPECT_NEAR(std::stod(rows["CHB0021412312349"]["hypocentral_distance_km"]),
              std::sqrt(epi * epi + 84.0 * 84.0), 1e-4);

  EXPECT_EQ(rows["B"]["sensor"], "borehole");
  EXPECT_EQ(rows["B"]["station_height_m"], "502.5");
  EXPECT_EQ(rows["S"]["sensor"], "surface");
  EXPECT_EQ(rows["S"]["station_height_m"], "720");
  EXPECT_EQ(rows["S"]["record_start_utc"], "2011-06-30T14:45:33Z");  // 23:45:48 JST less 15 s
  EXPECT_EQ(rows["Q4149CF2"]["origin_time_utc"], "2016-04-14T12:26:34Z");
  EXPECT_EQ(rows["Q4149CF2"]["magnitude"], "6.5");
}

}  // namespace
}  // namespace smproc
