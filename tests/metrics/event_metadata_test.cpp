// The event and station columns: the distances against values worked out
// by other means, and each cell empty exactly when its facts cannot be read.
#include "metrics/event_metadata.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "support/record_text.h"

namespace smproc {
namespace {

using testing::chb002_header;

constexpr double a_km = 6378.137;          // WGS84 equatorial radius
constexpr double f = 1 / 298.257223563;    // WGS84 flattening

TEST(GeodesicDistance, AlongTheEquatorIsTheArcOfItsCircle) {
  // On the equator the geodesic is the equator itself: a * dlambda.
  const double degree = a_km * std::numbers::pi / 180.0;  // 111.3194907932736 km
  EXPECT_NEAR(geodesic_distance_km(0, 0, 0, 1), degree, 1e-9);
  EXPECT_NEAR(geodesic_distance_km(0, 139, 0, 142), 3 * degree, 1e-9);
}

TEST(GeodesicDistance, EquatorToPoleIsTheMeridianQuadrant) {
  // The quadrant from the series of the rectifying radius in n = f / (2 - f):
  // a / (1 + n) * (1 + n^2/4 + n^4/64 + n^6/256) * pi / 2, 10001.965729 km.
  const double n = f / (2 - f), n2 = n * n;
  const double quadrant =
      a_km / (1 + n) * (1 + n2 / 4 + n2 * n2 / 64 + n2 * n2 * n2 / 256) * std::numbers::pi / 2;
  EXPECT_NEAR(quadrant, 10001.965729, 1e-6);
  EXPECT_NEAR(geodesic_distance_km(0, 0, 90, 0), quadrant, 1e-8);
  EXPECT_NEAR(geodesic_distance_km(-90, 0, 0, 77), quadrant, 1e-8);
}

std::vector<std::string> chb002_ns() { return chb002_header("N-S", "3.868"); }

StationData station(const std::vector<std::string>& header) {
  StationData d;
  d.header = header_facts(header);
  d.max_acc_gal = {stated_number("3.868"), stated_number("6.847"), stated_number("7.859")};
  return d;
}

std::string cell(const StationData& d, const std::string& name) {
  StationResult out;
  event_metadata(d, out);
  const Column* c = find_column(out, name);
  if (!c) ADD_FAILURE() << "no column " << name;
  return c ? formatted(*c) : "";
}

// The haversine on a sphere of the mean radius: within 0.5 % of the
// ellipsoid's geodesic over tens of kilometres.
double sphere_km(double lat1, double lon1, double lat2, double lon2) {
  const double r = std::numbers::pi / 180, R = 6371.0088;
  const double h = std::pow(std::sin((lat2 - lat1) * r / 2), 2) +
                   std::cos(lat1 * r) * std::cos(lat2 * r) * std::pow(std::sin((lon2 - lon1) * r / 2), 2);
  return 2 * R * std::asin(std::sqrt(h));
}

TEST(EventMetadata, ColumnsOfAKnetStation) {
  const StationData d = station(chb002_ns());
  const struct {
    const char* name;
    const char* want;
  } cells[] = {
      {"sensor", ""},
      {"origin_time_utc", "2014-12-31T14:49:00Z"},
      {"event_latitude", "35.785"},
      {"event_longitude", "139.887"},
      {"event_depth_km", "84"},
      {"magnitude", "4.2"},
      {"station_height_m", "14"},
      {"record_start_utc", "2014-12-31T14:49:45Z"},
      {"duration_s", "68"},
      {"header_max_acc_gal", "7.859"},  // the largest of the three
  };
  for (const auto& c : cells) EXPECT_EQ(cell(d, c.name), c.want) << c.name;
  StationResult out;
  event_metadata(d, out);
  const std::optional<double> epi = real_value(out, "epicentral_distance_km");
  const std::optional<double> hypo = real_value(out, "hypocentral_distance_km");
  ASSERT_TRUE(epi && hypo);
  EXPECT_NEAR(*epi, sphere_km(35.785, 139.887, 35.7868, 139.9031), 0.005 * *epi);
  EXPECT_DOUBLE_EQ(*hypo, std::sqrt(*epi * *epi + 84.0 * 84.0));
}

TEST(EventMetadata, UnreadableFactsLeaveTheirCellsEmpty) {
  struct Case {
    int line;
    std::string text;
    std::vector<std::string> empty;  // the cells left empty
  };
  const Case cases[] = {
      {1, "Origin Time       unknown", {"origin_time_utc"}},
      {10, "Record Time       2014/12/31 25:50:00", {"record_start_utc"}},
      {4, "Depth. (km)       ?", {"event_depth_km", "hypocentral_distance_km"}},
      {2, "Lat.              ", {"event_latitude", "epicentral_distance_km", "hypocentral_distance_km"}},
      {8, "Station Long.     east", {"epicentral_distance_km", "hypocentral_distance_km"}},
      {13, "Dir.              4", {}},
  };
  const char* const all[] = {"origin_time_utc", "event_latitude", "event_longitude",
                             "event_depth_km", "magnitude", "station_height_m",
                             "record_start_utc", "duration_s", "header_max_acc_gal",
                             "epicentral_distance_km", "hypocentral_distance_km"};
  for (const Case& t : cases) {
    std::vector<std::string> header = chb002_ns();
    header[static_cast<std::size_t>(t.line - 1)] = t.text;
    const StationData d = station(header);
    for (const char* name : all) {
      const bool want_empty = std::find(t.empty.begin(), t.empty.end(), name) != t.empty.end();
      EXPECT_EQ(cell(d, name).empty(), want_empty) << t.text << ": " << name;
    }
  }
  StationData surface = station(chb002_ns());
  surface.header.direction = "4";
  EXPECT_EQ(cell(surface, "sensor"), "surface");
  surface.header.direction = "2";
  EXPECT_EQ(cell(surface, "sensor"), "borehole");
  // One header without a peak: no largest one can be named.
  StationData one_missing = station(chb002_ns());
  one_missing.max_acc_gal[1].reset();
  EXPECT_EQ(cell(one_missing, "header_max_acc_gal"), "");
  // A station that got nowhere: every cell empty.
  for (const char* name : all) EXPECT_EQ(cell(StationData{}, name), "") << name;
}

}  // namespace
}  // namespace smproc
