// An event's measures as a GeoJSON FeatureCollection in the layout of a
// ground-motion packet: the event, then one feature per station.
#pragma once

#include <optional>
#include <span>
#include <string>

#include "metrics/intensity_measures.h"

namespace smproc {

struct PacketEvent {
  std::string id;
  std::optional<std::string> time_utc;  // ISO 8601, e.g. 2014-12-31T14:49:00Z
  std::optional<double> magnitude, latitude, longitude, depth_km;
};

struct PacketStation {
  std::string name;          // the stem of its records
  std::string station_code;  // as the header states it
  std::optional<double> latitude, longitude, height_m;
  std::string sensor;                          // "surface", "borehole" or empty
  const IntensityMeasures* measures = nullptr;  // none: the station gave no result
};

// groundmotion.json; creation_time in ISO 8601 UTC.
std::string ground_motion_packet(const PacketEvent& event, std::span<const PacketStation> stations,
                                 const std::string& creation_time);

}  // namespace smproc
