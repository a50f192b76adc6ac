// Header times (JST) to UTC, and a record's start 15 s before its Record
// Time, across the boundaries of days, months and years, leap days included.
#include "records/header_time.h"

#include <gtest/gtest.h>

#include <string>

namespace smproc {
namespace {

TEST(HeaderTime, JstToUtcAcrossDayMonthAndYearBoundaries) {
  struct Case { const char* jst; const char* utc; };
  const Case cases[] = {
      {"2014/12/31 23:49:00", "2014-12-31T14:49:00Z"},  // same day
      {"2018/01/24 19:51:00", "2018-01-24T10:51:00Z"},
      {"2011/07/01 05:30:00", "2011-06-30T20:30:00Z"},  // the day and the month before
      {"2015/01/01 08:59:59", "2014-12-31T23:59:59Z"},  // the year before
      {"2015/01/01 09:00:00", "2015-01-01T00:00:00Z"},
      {"2016/03/01 03:00:00", "2016-02-29T18:00:00Z"},  // into a leap day
      {"2015/03/01 03:00:00", "2015-02-28T18:00:00Z"},  // no leap day
      {"2000/03/01 00:00:00", "2000-02-29T15:00:00Z"},  // divisible by 400: a leap year
      {"2100/03/01 00:00:00", "2100-02-28T15:00:00Z"},  // by 100 only: none
  };
  for (const Case& t : cases) {
    const std::optional<CivilTime> jst = header_time(t.jst);
    ASSERT_TRUE(jst) << t.jst;
    EXPECT_EQ(iso8601_utc(utc_of_jst(*jst)), t.utc) << t.jst;
  }
}

TEST(HeaderTime, FirstSampleFifteenSecondsBeforeTheRecordTime) {
  struct Case { const char* record_time; const char* start_utc; };
  const Case cases[] = {
      {"2014/12/31 23:50:00", "2014-12-31T14:49:45Z"},
      {"2014/01/01 09:00:10", "2013-12-31T23:59:55Z"},  // the 15 s alone cross the year
      {"2016/02/29 09:00:05", "2016-02-28T23:59:50Z"},  // out of a leap day
      {"2016/03/01 09:00:14", "2016-02-29T23:59:59Z"},  // back into it
  };
  for (const Case& t : cases) {
    const std::optional<CivilTime> jst = header_time(t.record_time);
    ASSERT_TRUE(jst) << t.record_time;
    EXPECT_EQ(iso8601_utc(shifted(utc_of_jst(*jst), -trigger_delay_s)), t.start_utc)
        << t.record_time;
  }
}

TEST(HeaderTime, OnlyTimesThatExistInTheHeadersForm) {
  EXPECT_EQ(header_time("  2016/02/29 23:59:59 "), (CivilTime{2016, 2, 29, 23, 59, 59}));
  for (const char* text :
       {"", "2015/02/29 00:00:00", "1900/02/29 00:00:00", "2014/04/31 00:00:00",
        "2014/13/01 00:00:00", "2014/00/10 00:00:00", "2014/12/00 00:00:00",
        "2014/12/31 24:00:00", "2014/12/31 23:60:00", "2014/12/31 23:59:60",
        "2014-12-31 23:49:00", "2014/12/31 23:49", "2014/12/31T23:49:00", "14/12/31 23:49:00",
        "2014/12/31 23:49:00 JST"})
    EXPECT_FALSE(header_time(text)) << text;
}

}  // namespace
}  // namespace smproc
