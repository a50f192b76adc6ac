// The times a record's header states: Japan Standard Time (UTC+9), to the
// second, "YYYY/MM/DD hh:mm:ss".
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace smproc {

// A date of the proleptic Gregorian calendar and a time of day, to the second.
struct CivilTime {
  int year = 1970, month = 1, day = 1;
  int hour = 0, minute = 0, second = 0;
  friend bool operator==(const CivilTime&, const CivilTime&) = default;
};

// Header times are JST, nine hours ahead of UTC.
inline constexpr long long jst_offset_s = 9 * 3600;
// A record's first sample lies this long before its "Record Time": the
// logger keeps the samples from before its trigger.
inline constexpr long long trigger_delay_s = 15;

// The time "YYYY/MM/DD hh:mm:ss" (a four-digit year, two digits each after
// it, blanks around it); none for any other text or a date or time that does
// not exist (2015/02/29, 24:00:00, a 60th second).
std::optional<CivilTime> header_time(std::string_view text);

// The time `seconds` later (earlier when negative), days, months and years
// carried over as the calendar has them.
CivilTime shifted(const CivilTime& t, long long seconds);

// A header time (JST) as UTC.
inline CivilTime utc_of_jst(const CivilTime& t) { return shifted(t, -jst_offset_s); }

// "YYYY-MM-DDThh:mm:ssZ": ISO 8601, for a time that is UTC.
std::string iso8601_utc(const CivilTime& t);

}  // namespace smproc
