#include "records/record_name.h"

namespace smproc {

namespace {

constexpr std::string_view lower_endings[] = {".ns", ".ew", ".ud"};
constexpr std::string_view upper_endings[] = {".NS", ".EW", ".UD"};
constexpr char sensor_digits[] = {'\0', '1', '2'};

}  // namespace

std::string record_ending(int component, Sensor sensor, bool lower) {
  std::string ending(lower ? lower_endings[component] : upper_endings[component]);
  if (sensor != Sensor::none) ending += sensor_digits[static_cast<int>(sensor)];
  return ending;
}

std::optional<RecordName> parse_record_name(std::string_view file) {
  if (file.find('/') != std::string_view::npos) return std::nullopt;
  for (Sensor sensor : {Sensor::none, Sensor::borehole, Sensor::surface}) {
    for (int c = 0; c < 3; ++c) {
      for (bool lower : {true, false}) {
        const std::string ending = record_ending(c, sensor, lower);
        if (file.size() <= ending.size() || !file.ends_with(ending)) continue;
        const std::string_view stem = file.substr(0, file.size() - ending.size());
        // "..ns" would name the folder itself as its stem, "...ns" the one above.
        if (stem == "." || stem == "..") return std::nullopt;
        return RecordName{std::string(stem), c, sensor, lower};
      }
    }
  }
  return std::nullopt;
}

std::string station_name(std::string_view stem, Sensor sensor) {
  std::string name(stem);
  if (sensor != Sensor::none) {
    name += '_';
    name += sensor_name(sensor);
  }
  return name;
}

}  // namespace smproc
