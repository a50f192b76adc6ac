#include "metrics/ground_motion_packet.h"

#include <cmath>
#include <nlohmann/json.hpp>

namespace smproc {

namespace {

using Json = nlohmann::ordered_json;

Json number(std::optional<double> v) {
  return v && std::isfinite(*v) ? Json(*v) : Json(nullptr);
}

// A missing coordinate is null.
Json point(std::optional<double> lon, std::optional<double> lat, std::optional<double> z) {
  const double none = std::nan("");
  return {{"type", "Point"},
          {"coordinates", {number(lon.value_or(none)), number(lat.value_or(none)), number(z.value_or(none))}}};
}

Json scalar_metric(const char* name, const char* units, double value) {
  return {{"properties", {{"name", name}, {"units", units}}}, {"values", number(value)}};
}

// SA over damping × period.
Json sa_metric(const IntensityMeasures& m, auto value) {
  Json values = Json::array();
  for (std::size_t d = 0; d < m.dampings.size(); ++d) {
    Json row = Json::array();
    for (std::size_t p = 0; p < m.periods.size(); ++p) row.push_back(number(value(m.spectra[d][p])));
    values.push_back(row);
  }
  return {{"properties", {{"name", "SA"}, {"units", "gal"}}},
          {"dimensions",
           {{"number", 2},
            {"names", {"critical damping", "period"}},
            {"units", {"fraction", "s"}},
            {"axis_values", {m.dampings, m.periods}}}},
          {"values", values}};
}

Json trace(const char* channel, bool as_recorded, Json metrics) {
  return {{"properties", {{"channel_code", channel}, {"location_code", "--"}, {"as_recorded", as_recorded}}},
          {"metrics", std::move(metrics)}};
}

Json station_feature(const PacketStation& s) {
  Json streams = Json::array();
  if (const IntensityMeasures* m = s.measures) {
    static constexpr const char* channels[] = {"HNN", "HNE", "HNZ"};
    Json traces = Json::array();
    for (std::size_t c = 0; c < 3; ++c) {
      traces.push_back(trace(channels[c], true,
                             {scalar_metric("PGA", "gal", m->components[c].pga.value),
                              scalar_metric("PGV", "cm/s", m->components[c].pgv.value),
                              sa_metric(*m, [c](const SpectralAcceleration& sa) {
                                return sa.component[c];
                              })}));
    }
    traces.push_back(trace("ROTD50", false,
                           {scalar_metric("PGA", "gal", m->pga_rotd.rotd50),
                            scalar_metric("PGV", "cm/s", m->pgv_rotd.rotd50),
                            sa_metric(*m, [](const SpectralAcceleration& sa) { return sa.rotd50; })}));
    streams.push_back({{"properties", {{"band_code", "H"}, {"instrument_code", "N"},
                                       {"sensor", s.sensor.empty() ? Json(nullptr) : Json(s.sensor)}}},
                       {"traces", traces}});
  }
  Json properties = {{"network_code", "BO"},
                     {"station_code", s.station_code},
                     {"name", s.name},
                     {"streams", streams}};
  if (s.measures && s.measures->jma) {
    properties["metrics"] = {{{"properties", {{"name", "JMA_INTENSITY"}, {"units", ""}}},
                              {"values", s.measures->jma->intensity},
                              {"class", s.measures->jma->jma_class}}};
  } else {
    properties["metrics"] = Json::array();
  }
  return {{"type", "Feature"},
          {"properties", properties},
          {"geometry", point(s.longitude, s.latitude, s.height_m)}};
}

}  // namespace

std::string ground_motion_packet(const PacketEvent& event, std::span<const PacketStation> stations,
                                 const std::string& creation_time) {
  Json j;
  j["type"] = "FeatureCollection";
  j["version"] = "0.1dev";
  j["creation_time"] = creation_time;
  const double depth_m = event.depth_km.value_or(std::nan("")) * 1000.0;
  j["event"] = {{"type", "Feature"},
                {"id", event.id},
                {"properties",
                 {{"id", event.id},
                  {"time", event.time_utc ? Json(*event.time_utc) : Json(nullptr)},
                  {"magnitude", number(event.magnitude)}}},
                {"geometry", point(event.longitude, event.latitude, depth_m)}};
  Json features = Json::array();
  for (const PacketStation& s : stations) features.push_back(station_feature(s));
  j["features"] = features;
  return j.dump(2) + "\n";
}

}  // namespace smproc
