// Tests of local calendar time: date arithmetic, local times read by the zone's own
// rules (repeated and skipped times included), and the round trip through local time.
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

TEST(LocalTimeTest, CivilSecondsNormalisesOutOfRangeFields) {
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

// Calendar time of a local date and time in the zone in force.
std::optional<std::int64_t> Local(std::int64_t year, std::int64_t month0, std::int64_t day, std::int64_t hour,
                                  std::int64_t minute) {
  return LocalToCalendar(CivilSeconds(year, month0, day, hour, minute, 0));
}

TEST(LocalTimeTest, DateOfDayIsTheDateThatCivilSecondsCounts) {
  // Every day of two eras around the epoch, the days before it included, in steps that
  // meet every day of the month and of the week.
  for (std::int64_t day = -800000; day <= 800000; day += 13) {
    const CivilDate date = DateOfDay(day);
    ASSERT_EQ(CivilSeconds(date.year, date.month - 1, date.day, 0, 0, 0), day * 86400) << day;
    ASSERT_TRUE(date.month >= 1 && date.month <= 12 && date.day >= 1 && date.day <= 31) << day;
    ASSERT_EQ(date.weekday, static_cast<int>(((day % 7) + 11) % 7)) << day;  // 1970-01-01 a Thursday
  }
  const CivilDate leap = DateOfDay(CivilSeconds(2024, 1, 29, 0, 0, 0) / 86400);
  EXPECT_EQ(leap.year * 10000 + leap.month * 100 + leap.day, 20240229);
  EXPECT_EQ(leap.weekday, 4);
}

TEST(LocalTimeTest, EachLocalTimeTakesTheOffsetOfItsOwnDate) {
  struct Case {
    const char* zone;
    int year, month0, day, hour, minute;
    int offset_minutes;  // east of UT, in force at that local time
  };
  const Case kCases[] = {
      // Moscow in 2002: UT+4 in summer, UT+3 in winter, whatever the season of today; UT+4
      // all year from 2011, UT+3 from 26 October 2014 (whose repeated hour is UT+4 first).
      {"Europe/Moscow", 2002, 6, 5, 12, 0, 240},
      {"Europe/Moscow", 2002, 0, 15, 12, 0, 180},
      {"Europe/Moscow", 2012, 0, 15, 12, 0, 240},
      {"Europe/Moscow", 2026, 6, 5, 12, 0, 180},
      {"Europe/Moscow", 2014, 9, 26, 0, 30, 240},
      {"Europe/Moscow", 2014, 9, 26, 2, 0, 180},
      // Dublin's winter time is its daylight-saving time, with a negative saving.
      {"Europe/Dublin", 2026, 0, 15, 12, 0, 0},
      {"Europe/Dublin", 2026, 6, 15, 12, 0, 60},
      // Half-hour and three-quarter-hour offsets, a POSIX rule string, and UT itself.
      {"Asia/Kolkata", 2026, 6, 5, 12, 0, 330},
      {"Asia/Kathmandu", 2026, 6, 5, 12, 0, 345},
      {"XST-2XDT,M3.5.0/2,M10.5.0/3", 2026, 0, 15, 12, 0, 120},
      {"XST-2XDT,M3.5.0/2,M10.5.0/3", 2026, 6, 15, 12, 0, 180},
      {"UTC", 2026, 6, 5, 12, 0, 0},
  };
  for (const Case& c : kCases) {
    const ScopedTimeZone zone(c.zone);
    EXPECT_EQ(Local(c.year, c.month0, c.day, c.hour, c.minute),
              CivilSeconds(c.year, c.month0, c.day, c.hour, c.minute - c.offset_minutes, 0))
        << c.zone << " " << c.year << "-" << c.month0 + 1 << "-" << c.day << " " << c.hour << ":" << c.minute;
  }
}

TEST(LocalTimeTest, RepeatedTimesAreEarlierAndSkippedTimesUseTheOldOffset) {
  const ScopedTimeZone zone("Europe/Berlin");
  // 25 October 2026: 02:00 to 03:00 occurs twice, first in summer time (UT+2).
  EXPECT_EQ(Local(2026, 9, 25, 1, 59), CivilSeconds(2026, 9, 24, 23, 59, 0));
  EXPECT_EQ(Local(2026, 9, 25, 2, 0), CivilSeconds(2026, 9, 25, 0, 0, 0));
  EXPECT_EQ(Local(2026, 9, 25, 2, 30), CivilSeconds(2026, 9, 25, 0, 30, 0));
  EXPECT_EQ(Local(2026, 9, 25, 2, 59), CivilSeconds(2026, 9, 25, 0, 59, 0));
  EXPECT_EQ(Local(2026, 9, 25, 3, 0), CivilSeconds(2026, 9, 25, 2, 0, 0));
  // 29 March 2026: 02:00 to 03:00 does not occur; it is read as winter time (UT+1) and
  // lands as far after the change as it names after two o'clock.
  EXPECT_EQ(Local(2026, 2, 29, 1, 59), CivilSeconds(2026, 2, 29, 0, 59, 0));
  EXPECT_EQ(Local(2026, 2, 29, 2, 0), CivilSeconds(2026, 2, 29, 1, 0, 0));
  EXPECT_EQ(Local(2026, 2, 29, 2, 30), CivilSeconds(2026, 2, 29, 1, 30, 0));
  EXPECT_EQ(Local(2026, 2, 29, 3, 0), CivilSeconds(2026, 2, 29, 1, 0, 0));
}

TEST(LocalTimeTest, FromLocalNormalisesAndRewritesTheFields) {
  const ScopedTimeZone zone("Europe/Berlin");
  LocalFields summer = Fields(2026, 6, 5, 12, 0, false);  // the flag given is not read
  EXPECT_EQ(FromLocal(&summer), CivilSeconds(2026, 6, 5, 10, 0, 0));
  EXPECT_EQ(summer.hour, 12);
  EXPECT_TRUE(summer.dst);
  EXPECT_EQ(summer.weekday, 0);  // a Sunday
  EXPECT_EQ(summer.yearday, 185);

  LocalFields winter = Fields(2026, 0, 15, 12, 0, true);
  EXPECT_EQ(FromLocal(&winter), CivilSeconds(2026, 0, 15, 11, 0, 0));
  EXPECT_EQ(winter.hour, 12);
  EXPECT_FALSE(winter.dst);

  // Out-of-range fields are normalised first: day 0 of July, hour 24, minute 75.
  LocalFields odd = Fields(2026, 6, 0, 24, 75, false);
  EXPECT_EQ(FromLocal(&odd), CivilSeconds(2026, 6, 0, 23, 15, 0));
  EXPECT_EQ(odd.day, 1);
  EXPECT_EQ(odd.month, 6);
  EXPECT_EQ(odd.hour, 1);
  EXPECT_EQ(odd.minute, 15);

  // A skipped time is rewritten as the time it landed on.
  LocalFields skipped = Fields(2026, 2, 29, 2, 30, false);
  EXPECT_EQ(FromLocal(&skipped), CivilSeconds(2026, 2, 29, 1, 30, 0));
  EXPECT_EQ(skipped.hour, 3);
  EXPECT_EQ(skipped.minute, 30);

  // A time that the platform cannot show fails and leaves the fields alone.
  LocalFields far = Fields(3'000'000'000LL, 0, 1, 0, 0, false);
  EXPECT_EQ(FromLocal(&far), std::nullopt);
  EXPECT_EQ(far.year, 3'000'000'000LL - 1900);
  EXPECT_EQ(far.day, 1);
}

// Against a plain reading of the zone's own local time of every quarter hour: each local
// time met is read as the earliest instant that shows it.
TEST(LocalTimeTest, LocalToCalendarAgreesWithTheZonesLocalTimes) {
  for (const char* name : {"Europe/Moscow", "Europe/Berlin", "Europe/Dublin", "Australia/Lord_Howe", "America/St_Johns",
                           "Pacific/Apia", "Antarctica/Troll"}) {
    const ScopedTimeZone zone(name);
    std::int64_t previous_local = 0;
    bool has_previous = false;
    for (std::int64_t t = CivilSeconds(2011, 0, 1, 0, 0, 0); t < CivilSeconds(2015, 0, 1, 0, 0, 0); t += 15 * 60) {
      const std::optional<std::int64_t> offset = UtcOffset(t);
      ASSERT_TRUE(offset.has_value());
      const std::int64_t local = t + *offset;
      // Times shown again after the clock went back were first shown an offset change
      // earlier; only the first showing is the answer.
      const std::optional<std::int64_t> read = LocalToCalendar(local);
      ASSERT_TRUE(read.has_value());
      if (!has_previous || local > previous_local) {
        EXPECT_EQ(*read, t) << name << " " << t;
      } else {
        EXPECT_LT(*read, t) << name << " " << t;
        EXPECT_EQ(*read + *UtcOffset(*read), local) << name << " " << t;
      }
      previous_local = std::max(previous_local, local);
      has_previous = true;
    }
  }
}

TEST(LocalTimeTest, ToLocalRoundTripsThroughFromLocal) {
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
  // Years with and without daylight-saving time, and with a different standard offset.
  for (std::int64_t t = CivilSeconds(1999, 0, 1, 0, 0, 0); t < CivilSeconds(2016, 0, 1, 0, 0, 0);
       t += 13 * 86400 + 7 * 3600) {
    EXPECT_EQ(round_trip(t), t) << t;
  }
}

TEST(LocalTimeTest, WindowsTzFormIsTheRuntimesOwn) {
  // What the Windows C runtime reads: a name, the hours west, minutes and seconds, and
  // perhaps a daylight-saving name.
  for (const char* value : {"MSK-3", "EST5EDT", "UTC0", "gmt+0", "IST-5:30", "NST3:30:00NDT", "ABC24", "PST08PDT"}) {
    EXPECT_TRUE(IsWindowsTzForm(value)) << value;
  }
  // Everything else, which the runtime would misread: IANA names, POSIX rules, names of
  // other lengths, no hours, a cut or stray part.
  for (const char* value : {"",
                            "Europe/Berlin",
                            "UTC",
                            "Etc/UTC",
                            "CET-1CEST,M3.5.0,M10.5.0/3",
                            ":Europe/Moscow",
                            "MS-3",
                            "MSKX-3",
                            "MSK",
                            "MSK-",
                            "MSK-25",
                            "MSK-123",
                            "MSK-3:6",
                            "MSK-3:60",
                            "MSK-3:30:",
                            "MSK-3MSDT",
                            "MSK-3MS",
                            "MSK-3 ",
                            "<+03>-3",
                            "MSK3:30:30:30",
                            "M5K-3"}) {
    EXPECT_FALSE(IsWindowsTzForm(value)) << value;
  }
}

}  // namespace
}  // namespace kestrum
