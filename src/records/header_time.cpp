#include "records/header_time.h"

#include <cctype>
#include <cstdio>

namespace smproc {

namespace {

bool leap(long long y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int days_in_month(long long y, int m) {
  constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && leap(y) ? 29 : days[m - 1];
}

// Days since 1970-01-01 of a civil date: the year counted from March, so
// that the leap day ends it, in eras of 400 years (146097 days).
long long days_from_civil(long long y, int m, int d) {
  y -= m <= 2;
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const long long yoe = y - era * 400;                            // 0..399
  const long long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;  // 0..365
  const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;    // 0..146096
  return era * 146097 + doe - 719468;
}

void civil_from_days(long long z, CivilTime& t) {
  z += 719468;
  const long long era = (z >= 0 ? z : z - 146096) / 146097;
  const long long doe = z - era * 146097;
  const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const long long mp = (5 * doy + 2) / 153;
  t.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  t.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  t.year = static_cast<int>(yoe + era * 400 + (t.month <= 2));
}

long long floor_div(long long a, long long b) { return a / b - (a % b != 0 && (a < 0) != (b < 0)); }

}  // namespace

std::optional<CivilTime> header_time(std::string_view text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return std::nullopt;
  text.remove_prefix(first);
  text.remove_suffix(text.size() - (text.find_last_not_of(" \t") + 1));
  // "YYYY/MM/DD hh:mm:ss": digits at every place but these.
  constexpr std::string_view shape = "dddd/dd/dd dd:dd:dd";
  if (text.size() != shape.size()) return std::nullopt;
  for (std::size_t i = 0; i < shape.size(); ++i) {
    const bool digit = std::isdigit(static_cast<unsigned char>(text[i])) != 0;
    if (shape[i] == 'd' ? !digit : text[i] != shape[i]) return std::nullopt;
  }
  const auto number = [&](std::size_t at, std::size_t n) {
    int v = 0;
    for (std::size_t i = at; i < at + n; ++i) v = v * 10 + (text[i] - '0');
    return v;
  };
  CivilTime t{number(0, 4), number(5, 2), number(8, 2), number(11, 2), number(14, 2), number(17, 2)};
  if (t.month < 1 || t.month > 12 || t.day < 1 || t.day > days_in_month(t.year, t.month) ||
      t.hour > 23 || t.minute > 59 || t.second > 59)
    return std::nullopt;
  return t;
}

CivilTime shifted(const CivilTime& t, long long seconds) {
  const long long at = days_from_civil(t.year, t.month, t.day) * 86400 + t.hour * 3600LL +
                       t.minute * 60LL + t.second + seconds;
  const long long days = floor_div(at, 86400);
  const long long in_day = at - days * 86400;
  CivilTime u;
  civil_from_days(days, u);
  u.hour = static_cast<int>(in_day / 3600);
  u.minute = static_cast<int>(in_day / 60 % 60);
  u.second = static_cast<int>(in_day % 60);
  return u;
}

std::string iso8601_utc(const CivilTime& t) {
  char text[40];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02dZ", t.year, t.month, t.day,
                t.hour, t.minute, t.second);
  return text;
}

}  // namespace smproc
