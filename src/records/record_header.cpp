#include "records/record_header.h"

#include "records/component.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdlib>

namespace smproc {

namespace {

std::string_view trimmed(std::string_view s) {
  const auto first = s.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  const auto last = s.find_last_not_of(" \t");
  return s.substr(first, last - first + 1);
}

// Where a header line's value starts: its label fills columns 1 to 18.
constexpr std::size_t value_column = 18;

// "N-S", "n-s", "N - S" and "NS" all read as "NS".
std::string letters(std::string_view s) {
  std::string out;
  for (char c : s)
    if (std::isalpha(static_cast<unsigned char>(c)))
      out.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
  return out;
}

// How each of the 17 lines' label begins, in capital letters with the
// points and blanks left out: the wording after it varies between years
// ("Long."/"Lon.", "Max. Acc. (gal)"/"Max Acc. (gal)").
constexpr std::array<std::string_view, 17> line_labels = {
    "ORIGIN", "LAT", "LON", "DEPTH", "MAG", "STATIONCODE", "STATIONLAT", "STATIONLON",
    "STATIONHEIGHT", "RECORD", "SAMPLING", "DURATION", "DIR", "SCALE", "MAX", "LAST", "MEMO"};

// True when the label (columns 1 to 18) begins as `start` says.
bool labelled(std::string_view line, std::string_view start) {
  return letters(line.substr(0, std::min(line.size(), value_column))).starts_with(start);
}

// The decimal number a text starts with ("100" of "100Hz", "2.5e2"): digits
// with at most one point, an optional exponent; no hexadecimal, no inf or
// nan, which a general number reader would take.
std::optional<double> leading_decimal(const std::string& s) {
  std::size_t i = 0;
  const auto digit = [&](std::size_t k) {
    return k < s.size() && std::isdigit(static_cast<unsigned char>(s[k]));
  };
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  std::size_t digits = 0;
  while (digit(i)) ++i, ++digits;
  if (i < s.size() && s[i] == '.') {
    ++i;
    while (digit(i)) ++i, ++digits;
  }
  if (digits == 0) return std::nullopt;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    std::size_t k = i + 1;
    if (k < s.size() && (s[k] == '+' || s[k] == '-')) ++k;
    if (digit(k)) {
      while (digit(k)) ++k;
      i = k;
    }
  }
  // After the scan the text is a plain decimal number, which strtod reads
  // with correct rounding.
  const std::string number = s.substr(0, i);
  return std::strtod(number.c_str(), nullptr);
}

}  // namespace

std::string_view header_value(std::string_view line) {
  return line.size() > value_column ? trimmed(line.substr(value_column)) : std::string_view();
}

std::optional<StatedNumber> stated_number(std::string_view text) {
  std::size_t i = 0, digits = 0;
  const auto digit = [&](std::size_t k) {
    return k < text.size() && std::isdigit(static_cast<unsigned char>(text[k]));
  };
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  while (digit(i)) ++i, ++digits;
  if (i < text.size() && text[i] == '.') {
    ++i;
    while (digit(i)) ++i, ++digits;
  }
  if (digits == 0 || i != text.size()) return std::nullopt;
  StatedNumber n{std::string(text), 0.0};
  // A plain decimal number, which strtod reads with correct rounding.
  n.value = std::strtod(n.text.c_str(), nullptr);
  if (!std::isfinite(n.value)) return std::nullopt;
  return n;
}

HeaderFacts header_facts(const std::vector<std::string>& header) {
  // The value of line n of the 17 (from 1); nothing when the header is
  // shorter or the line's label is not the one that line carries.
  const auto value = [&](std::size_t n) {
    if (n > header.size() || !labelled(header[n - 1], line_labels[n - 1])) return std::string_view();
    return header_value(header[n - 1]);
  };
  // A number within [low, high], as coordinates must be.
  const auto within = [](std::optional<StatedNumber> n, double low, double high) {
    return n && n->value >= low && n->value <= high ? n : std::nullopt;
  };
  HeaderFacts f;
  f.origin_time = header_time(value(1));
  f.event_latitude = within(stated_number(value(2)), -90.0, 90.0);
  f.event_longitude = within(stated_number(value(3)), -180.0, 360.0);
  f.event_depth_km = stated_number(value(4));
  f.magnitude = stated_number(value(5));
  f.station_code = value(6);
  f.station_latitude = value(7);
  f.station_longitude = value(8);
  f.station_latitude_deg = within(stated_number(value(7)), -90.0, 90.0);
  f.station_longitude_deg = within(stated_number(value(8)), -180.0, 360.0);
  f.station_height_m = stated_number(value(9));
  f.record_time = header_time(value(10));
  f.sampling = value(11);
  f.duration_s = stated_number(value(12));
  f.direction = value(13);
  f.max_acc_gal = stated_number(value(15));
  if (const std::optional<double> hz = leading_decimal(f.sampling); hz && std::isfinite(*hz) && *hz > 0)
    f.sampling_hz = hz;
  return f;
}

std::string_view expected_direction(int component) {
  return header_direction(static_cast<Component>(component));
}

StatedDirection stated_direction(std::string_view stated) {
  const std::string_view t = trimmed(stated);
  if (t.size() == 1 && t[0] >= '1' && t[0] <= '6') {
    const int code = t[0] - '1';
    return {code % 3, code < 3 ? Sensor::borehole : Sensor::surface};
  }
  const std::string s = letters(stated);
  for (int c = 0; c < 3; ++c)
    if (s == letters(expected_direction(c))) return {c, Sensor::none};
  return {};
}

int direction_code(int component, Sensor sensor) {
  if (sensor == Sensor::none) return 0;
  return component + 1 + (sensor == Sensor::surface ? 3 : 0);
}

}  // namespace smproc
