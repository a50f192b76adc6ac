#include "textio/text_output.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "textio/exponent_field.h"
#include "textio/field_layout.h"
#include "textio/fixed_field.h"

namespace smproc::textio {

namespace {

// A list-written line is ended before an item that would reach this column.
constexpr std::size_t line_limit = 80;

}  // namespace

// --- Renderings --------------------------------------------------------------

std::string list_double(double v) {
  std::string s = " ";
  s.push_back(std::signbit(v) && v != 0 && !std::isnan(v) ? '-' : ' ');
  if (v == 0) {
    s.append("0.");
  } else if (!std::isfinite(v)) {
    s.append(non_finite(std::fabs(v), true));
  } else {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.9G", std::fabs(v));
    std::string_view body = buf;
    auto e = body.find('E');
    bool point = body.find('.') != std::string_view::npos;
    // A real always shows a point: after the digits, or before the exponent.
    s.append(body.substr(0, e == std::string_view::npos ? body.size() : e));
    if (!point) s.push_back('.');
    if (e != std::string_view::npos) s.append(body.substr(e));
  }
  return s;
}

std::string fixed_field(double v, int w, int d) {
  std::string s;
  append_fixed_field(s, v, w, d);
  return s;
}

std::string exponent_field(double v, int w, int d) {
  std::string s;
  append_exponent_field(s, v, w, d);
  return s;
}

// --- Statements --------------------------------------------------------------

void list_write(Output& out, std::initializer_list<WriteItem> items) {
  out.begin_statement("list io");
  std::size_t pos = 0;  // characters on the current line
  for (const WriteItem& item : items) {
    std::string text;
    std::size_t counted = 0;
    if (auto* t = std::get_if<std::string_view>(&item)) {
      text.assign(*t);
      counted = t->size();
    } else if (auto* i = std::get_if<int>(&item)) {
      text.assign(1, ' ');
      text += std::to_string(*i);
      counted = text.size() - 1 - (*i < 0 ? 1 : 0);
    } else {
      text = list_double(std::get<double>(item));
      counted = text.size();
    }
    if (pos > 0 && pos + counted >= line_limit) {
      out.end_line();
      pos = 0;
    }
    if (pos == 0 && std::holds_alternative<std::string_view>(item)) {
      out.put(' ');
      ++pos;
    }
    out.put(text);
    pos += text.size();
  }
  out.end_line();
}

void formatted_write(Output& out, const Format& format, std::span<const double> items) {
  RowWriter(format, items.size()).write(out, items);
}


void formatted_write(Output& out, const Format& format, std::initializer_list<double> items) {
  formatted_write(out, format, std::span<const double>(items.begin(), items.size()));
}

}  // namespace smproc::textio
