#include "records/record_header.h"

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

constexpr std::array<std::string_view, 3> directions = {"N-S", "E-W", "U-D"};

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
  if (!f.sampling.empty()) {
    char* end = nullptr;
    const double hz = std::strtod(f.sampling.c_str(), &end);
    if (end != f.sampling.c_str() && std::isfinite(hz) && hz > 0) f.sampling_hz = hz;
  }
  return f;
}

std::string_view expected_direction(int component) { return directions[component]; }

bool direction_disagrees(std::string_view stated, int component) {
  const std::string s = letters(stated);
  for (int c = 0; c < 3; ++c)
    if (s == letters(directions[c])) return c != component;
  return false;
}

}  // namespace smproc
