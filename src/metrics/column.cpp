#include "metrics/column.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace smproc {

namespace {

// Below this magnitude the fixed form holds at most 15 integer digits, each
// one a digit the double carries; from it on, the fixed form grows with the
// magnitude (309 digits near the largest double), so the shortest form that
// reads back to the same double is written instead.
constexpr double fixed_limit = 1e15;

std::string number_text(double v, int decimals) {
  if (std::isfinite(v) && std::fabs(v) < fixed_limit) {
    // At most 16 digits, a sign, a point and the decimals.
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", decimals, v);
    return text;
  }
  return shortest(v);
}

Column make(std::string name, std::string heading, ColumnType type, Align align) {
  Column c;
  c.name = std::move(name);
  c.heading = std::move(heading);
  c.type = type;
  c.align = align;
  return c;
}

}  // namespace

std::string shortest(double v) {
  // The longest shortest form of a double, "-2.2250738585072014e-308", fits.
  char text[32];
  const char* end = std::to_chars(text, text + sizeof text, v).ptr;
  return std::string(text, static_cast<std::size_t>(end - text));
}

Column text_column(std::string name, std::string heading, std::optional<std::string> value,
                   Align align) {
  Column c = make(std::move(name), std::move(heading), ColumnType::text, align);
  if (value) c.value = std::move(*value);
  return c;
}

Column integer_column(std::string name, std::string heading, std::optional<long long> value) {
  Column c = make(std::move(name), std::move(heading), ColumnType::integer, Align::right);
  if (value) c.value = *value;
  return c;
}

Column real_column(std::string name, std::string heading, std::optional<double> value) {
  Column c = make(std::move(name), std::move(heading), ColumnType::real, Align::right);
  if (value) c.value = *value;
  return c;
}

Column time_column(std::string name, std::string heading, std::optional<double> value) {
  Column c = make(std::move(name), std::move(heading), ColumnType::time, Align::right);
  if (value) c.value = *value;
  return c;
}

std::string formatted(const Column& column, Form form) {
  if (const auto* text = std::get_if<std::string>(&column.value)) return *text;
  if (const auto* n = std::get_if<long long>(&column.value)) return std::to_string(*n);
  if (const auto* v = std::get_if<double>(&column.value)) {
    if (column.type == ColumnType::time) return number_text(*v, 3);
    return form == Form::csv ? shortest(*v) : number_text(*v, 4);
  }
  return {};
}

const Column* find_column(const StationResult& result, std::string_view name) {
  for (const Column& c : result)
    if (c.name == name) return &c;
  return nullptr;
}

std::optional<double> real_value(const StationResult& result, std::string_view name) {
  const Column* c = find_column(result, name);
  if (!c) return std::nullopt;
  if (const auto* v = std::get_if<double>(&c->value)) return *v;
  return std::nullopt;
}

}  // namespace smproc
