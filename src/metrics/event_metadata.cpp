#include "metrics/event_metadata.h"

#include <GeographicLib/Geodesic.hpp>

#include <cmath>
#include <string>

#include "records/header_time.h"

namespace smproc {

double geodesic_distance_km(double latitude1, double longitude1, double latitude2,
                            double longitude2) {
  double s12 = 0.0;  // m
  GeographicLib::Geodesic::WGS84().Inverse(latitude1, longitude1, latitude2, longitude2, s12);
  return s12 / 1000.0;
}

namespace {

std::optional<std::string> text_of(const std::optional<StatedNumber>& n) {
  return n ? std::optional<std::string>(n->text) : std::nullopt;
}

std::optional<std::string> utc_text(const std::optional<CivilTime>& jst, long long later_s = 0) {
  return jst ? std::optional<std::string>(iso8601_utc(shifted(utc_of_jst(*jst), later_s)))
             : std::nullopt;
}

// The largest stated peak, as its header writes it; none unless all three
// state one.
std::optional<std::string> largest_peak(const PerComponent<std::optional<StatedNumber>>& peaks) {
  const StatedNumber* largest = nullptr;
  for (const std::optional<StatedNumber>& p : peaks) {
    if (!p) return std::nullopt;
    if (!largest || std::fabs(p->value) > std::fabs(largest->value)) largest = &*p;
  }
  return largest->text;
}

}  // namespace

void event_metadata(const StationData& data, StationResult& out) {
  const HeaderFacts& h = data.header;
  const auto stated = [&](const char* name, const std::optional<StatedNumber>& n) {
    out.push_back(text_column(name, "", text_of(n), Align::right));
  };
  // The sensor its NS header's direction code names; none for K-NET's forms.
  std::optional<std::string> sensor;
  if (const Sensor s = stated_direction(h.direction).sensor; s != Sensor::none)
    sensor = std::string(sensor_name(s));
  out.push_back(text_column("sensor", "", sensor));
  out.push_back(text_column("origin_time_utc", "", utc_text(h.origin_time)));
  stated("event_latitude", h.event_latitude);
  stated("event_longitude", h.event_longitude);
  stated("event_depth_km", h.event_depth_km);
  stated("magnitude", h.magnitude);
  stated("station_height_m", h.station_height_m);
  out.push_back(text_column("record_start_utc", "", utc_text(h.record_time, -trigger_delay_s)));
  stated("duration_s", h.duration_s);
  out.push_back(text_column("header_max_acc_gal", "", largest_peak(data.max_acc_gal), Align::right));

  std::optional<double> epicentral, hypocentral;
  if (h.event_latitude && h.event_longitude && h.station_latitude_deg && h.station_longitude_deg) {
    epicentral = geodesic_distance_km(h.event_latitude->value, h.event_longitude->value,
                                      h.station_latitude_deg->value, h.station_longitude_deg->value);
    if (!std::isfinite(*epicentral)) epicentral.reset();
  }
  if (epicentral && h.event_depth_km) {
    const double depth = h.event_depth_km->value;
    hypocentral = std::sqrt(*epicentral * *epicentral + depth * depth);
    if (!std::isfinite(*hypocentral)) hypocentral.reset();
  }
  out.push_back(real_column("epicentral_distance_km", "", epicentral));
  out.push_back(real_column("hypocentral_distance_km", "", hypocentral));
}

}  // namespace smproc
