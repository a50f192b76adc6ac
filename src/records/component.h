// The three components of a record set, always in this order.
#pragma once

#include <array>
#include <string_view>

namespace smproc {

enum class Component { ns = 0, ew = 1, ud = 2 };

inline constexpr std::array<Component, 3> all_components = {Component::ns, Component::ew,
                                                        Component::ud};

// "NS", "EW", "UD": the component's name in the outputs and messages.
constexpr std::string_view component_name(Component c) {
  constexpr std::string_view names[] = {"NS", "EW", "UD"};
  return names[static_cast<int>(c)];
}
constexpr std::string_view component_name(int c) { return component_name(static_cast<Component>(c)); }

// "N-S", "E-W", "U-D": the direction a component's record header states.
constexpr std::string_view header_direction(Component c) {
  constexpr std::string_view directions[] = {"N-S", "E-W", "U-D"};
  return directions[static_cast<int>(c)];
}

// The sensor a record set comes from: K-NET stations have one (none is
// named), KiK-net stations a borehole and a surface sensor.
enum class Sensor { none, borehole, surface };

// "borehole", "surface", or empty for a station's one sensor.
constexpr std::string_view sensor_name(Sensor s) {
  constexpr std::string_view names[] = {"", "borehole", "surface"};
  return names[static_cast<int>(s)];
}

}  // namespace smproc
