#include "records/record_header.h"

#include "records/component.h"

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

// The value after the label, when the line starts with it.
std::optional<std::string> value_of(std::string_view line, std::string_view label) {
  if (line.substr(0, label.size()) != label) return std::nullopt;
  return std::string(trimmed(line.substr(label.size())));
}

// "N-S", "n-s", "N - S" and "NS" all read as "NS".
std::string letters(std::string_view s) {
  std::string out;
  for (char c : s)
    if (std::isalpha(static_cast<unsigned char>(c)))
      out.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
  return out;
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

HeaderFacts header_facts(const std::vector<std::string>& header) {
  HeaderFacts f;
  struct Field {
    std::string_view label;
    std::string* value;
  };
  const Field fields[] = {
      {"Station Code", &f.station_code},     {"Station Lat.", &f.station_latitude},
      {"Station Long.", &f.station_longitude}, {"Sampling Freq(Hz)", &f.sampling},
      {"Dir.", &f.direction},
  };
  for (const std::string& line : header) {
    for (const Field& field : fields) {
      if (auto v = value_of(line, field.label); v && field.value->empty()) *field.value = *v;
    }
  }
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
