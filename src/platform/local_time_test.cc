// Tests of local calendar time: date arithmetic, the daylight-saving flag rule of the
// conversion from local fields, and the round trip through the zone's own local time.
#include "platform/local_time.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "unit_support.h"

namespace kestrum {
namespace {

using testing_support::ScopedTimeZone;

LocalFields Fields(std::int64_t year, std::int64_t month0, std::int64_t day, std::int64_t hour, std::int64_t minute,
                   bool dst) {
  LocalFields f;
  f.year = year - 1900;
  f.month = month0;
  f.day = day;
  f.hour = hour;
  f.minute = minute;
  f.dst = dst;
  return f;
}

TEST(LocalTime, CivilSecondsNormalisesOutOfRangeFields) {
  EXPECT_EQ(CivilSeconds(1970, 0, 1, 0, 0, 0), 0);
  EXPECT_EQ(CivilSeconds(2002, 6, 5, 0, 0, 0), 1025827200);
  EXPECT_EQ(CivilSeconds(1969, 11, 31, 0, 0, 0), -86400);

  // Day 0 is the last day of the previous month, also across a year and in leap years.
  EXPECT_EQ(CivilSeconds(2002, 6, 0, 0, 0, 0), CivilSeconds(2002, 5, 30, 0, 0, 0));
  EXPECT_EQ(CivilSeconds(2002, 0, 0, 0, 0, 0), CivilSeconds(2001, 11, 31, 0, 0, 0));
  EXPECT_EQ(CivilSeconds(2002, 2, 0, 0, 0, 0), CivilSeconds(2002, 1, 28, 0, 0, 0));
  EXPECT_EQ(CivilSeconds(2000, 2, 0, 0, 0, 0), CivilSeconds(2000, 1, 29, 0, 0, 0));
  EXPECT_EQ(CivilSeconds(1900, 2, 1, 0, 0, 0) - CivilSeconds(1900, 1, 1, 0, 0, 0), 28 * 86400);
  EXPECT_EQ(CivilSeconds(2002, 6, -195, 0, 0, 0), CivilSeconds(2001, 11, 17, 0, 0, 0));

  // Month 12 is January of the next year, month -1 December of the previous one.
  EXPECT_EQ(CivilSeconds(2001, 12, 1, 0, 0, 0), CivilSeconds(2002, 0, 1, 0, 0, 0));
  EXPECT_EQ(CivilSeconds(2002, -1, 1, 0, 0, 0), CivilSeconds(2001, 11, 1, 0, 0, 0));
  EXPECT_EQ(CivilSeconds(2002, 25, 1, 0, 0, 0), CivilSeconds(2004, 1, 1, 0, 0, 0));

  // Hours and minutes run into the neighbouring days and hours.
  EXPECT_EQ(CivilSeconds(2002, 6, 5, 24, 0, 0), CivilSeconds(2002, 6, 6, 0, 0, 0));
  EXPECT_EQ(CivilSeconds(2002, 6, 5, 0, 60, 0), CivilSeconds(2002, 6, 5, 1, 0, 0));
  EXPECT_EQ(CivilSeconds(2002, 6, 5, -1, 0, 0), CivilSeconds(2002, 6, 4, 23, 0, 0));
}

TEST(LocalTime, FromLocalTakesTheFlagAsAnHourBeforeStandardTime) {
  const ScopedTimeZone zone("Europe/Moscow");

  // Summer 2002 (UT+4 in force, standard time UT+3).
  LocalFields summer = Fields(2002, 6, 5, 12, 0, true);
  EXPECT_EQ(FromLocal(&summer), CivilSeconds(2002, 6, 5, 8, 0, 0));
  EXPECT_EQ(summer.hour, 12);
  EXPECT_TRUE(summer.dst);
  EXPECT_EQ(summer.weekday, 5);  // a Friday
  EXPECT_EQ(summer.yearday, 185);

  LocalFields summer_standard = Fields(2002, 6, 5, 12, 0, false);
  EXPECT_EQ(FromLocal(&summer_standard), CivilSeconds(2002, 6, 5, 9, 0, 0));
  EXPECT_EQ(summer_standard.hour, 13);  // rewritten as the summer time of the result
  EXPECT_TRUE(summer_standard.dst);

  // Winter: standard time in force, the flag still means one hour earlier.
  LocalFields winter = Fields(2002, 0, 15, 12, 0, false);
  EXPECT_EQ(FromLocal(&winter), CivilSeconds(2002, 0, 15, 9, 0, 0));
  EXPECT_EQ(winter.hour, 12);
  EXPECT_FALSE(winter.dst);

  LocalFields winter_flagged = Fields(2002, 0, 15, 12, 0, true);
  EXPECT_EQ(FromLocal(&winter_flagged), CivilSeconds(2002, 0, 15, 8, 0, 0));
  EXPECT_EQ(winter_flagged.hour, 11);
  EXPECT_FALSE(winter_flagged.dst);

  // Out-of-range fields are normalised and rewritten.
  LocalFields odd = Fields(2002, 6, 0, 24, 0, true);
  EXPECT_EQ(FromLocal(&odd), CivilSeconds(2002, 5, 30, 20, 0, 0));
  EXPECT_EQ(odd.day, 1);
  EXPECT_EQ(odd.month, 6);
  EXPECT_EQ(odd.hour, 0);

  // A time that the platform cannot show fails and leaves the fields alone.
  LocalFields far = Fields(3'000'000'000LL, 0, 1, 0, 0, false);
  EXPECT_EQ(FromLocal(&far), std::nullopt);
  EXPECT_EQ(far.year, 3'000'000'000LL - 1900);
  EXPECT_EQ(far.day, 1);
}

TEST(LocalTime, FromLocalInUniversalTime) {
  const ScopedTimeZone zone("UTC");
  LocalFields plain = Fields(2002, 6, 5, 12, 0, false);
  EXPECT_EQ(FromLocal(&plain), CivilSeconds(2002, 6, 5, 12, 0, 0));
  EXPECT_EQ(plain.hour, 12);

  // No zone rule has daylight-saving time here, yet the flag still takes an hour off.
  LocalFields flagged = Fields(2002, 6, 5, 12, 0, true);
  EXPECT_EQ(FromLocal(&flagged), CivilSeconds(2002, 6, 5, 11, 0, 0));
  EXPECT_EQ(flagged.hour, 11);
  EXPECT_FALSE(flagged.dst);
}

TEST(LocalTime, ToLocalRoundTripsThroughFromLocal) {
  const ScopedTimeZone zone("Europe/Moscow");
  const std::optional<LocalFields> noon = ToLocal(CivilSeconds(2002, 6, 5, 8, 0, 0));
  ASSERT_TRUE(noon.has_value());
  EXPECT_EQ(noon->year, 102);
  EXPECT_EQ(noon->month, 6);
  EXPECT_EQ(noon->day, 5);
  EXPECT_EQ(noon->hour, 12);
  EXPECT_TRUE(noon->dst);

  const auto round_trip = [](std::int64_t t) {
    std::optional<LocalFields> fields = ToLocal(t);
    if (!fields) return std::optional<std::int64_t>();
    return FromLocal(&*fields);
  };
  // Quarter hours across both changes of 2002, the repeated autumn hour included.
  for (const std::int64_t from : {CivilSeconds(2002, 2, 30, 12, 0, 0), CivilSeconds(2002, 9, 26, 12, 0, 0)}) {
    for (std::int64_t t = from; t < from + 24 * 3600; t += 15 * 60) EXPECT_EQ(round_trip(t), t) << t;
  }
  // Years with and without daylight-saving time, and with a different standard offset.
  for (std::int64_t t = CivilSeconds(1999, 0, 1, 0, 0, 0); t < CivilSeconds(2016, 0, 1, 0, 0, 0);
       t += 13 * 86400 + 7 * 3600) {
    EXPECT_EQ(round_trip(t), t) << t;
  }
}

}  // namespace
}  // namespace kestrum
