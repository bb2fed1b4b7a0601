// Tests of the reporting period: building the window and its display text from the
// Period value, refused values, and the log line filter around the window's edges.
#include "stats/period.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/cp866.h"
#include "platform/format.h"
#include "unit_support.h"

namespace kestrum {
namespace {

using testing_support::ScopedTimeZone;

constexpr std::string_view kRefused = "Ошибка задания периода"_cp866;

// A period whose "today" is the given calendar time.
ReportPeriod PeriodAt(std::int64_t now) {
  return ReportPeriod([now] { return now; });
}

std::string Handle(ReportPeriod& period, std::string_view value) {
  const char* message = period.HandlePeriod(value);
  return message == nullptr ? std::string() : std::string(message);
}

// Noon of 5 July 2002 and of 15 January 2002 in Moscow (UT+4 in summer, UT+3 in winter).
const std::int64_t kMoscowJuly5 = CivilSeconds(2002, 6, 5, 8, 0, 0);
const std::int64_t kMoscowJanuary15 = CivilSeconds(2002, 0, 15, 9, 0, 0);

TEST(ReportPeriodTest, DisplayTextShowsTheNormalisedWindow) {
  const ScopedTimeZone zone("Europe/Moscow");
  ReportPeriod period = PeriodAt(kMoscowJuly5);

  EXPECT_EQ(Handle(period, "1,00:00 0,00:00"), "");
  EXPECT_EQ(period.DisplayText(), "c  0:00:00  4/07/02 по  0:00:00  5/07/02\n"_cp866);
  EXPECT_EQ(period.DisplayText()[0], 'c');  // the Latin letter
  EXPECT_EQ(period.start(), CivilSeconds(2002, 6, 3, 20, 0, 0));
  EXPECT_EQ(period.end(), CivilSeconds(2002, 6, 4, 20, 0, 0));

  // Days back past the first of the month run into June.
  EXPECT_EQ(Handle(period, "10,12:00 0,12:00"), "");
  EXPECT_EQ(period.DisplayText(), "c 12:00:00 25/06/02 по 12:00:00  5/07/02\n"_cp866);

  // Hour 24 is midnight of the next day; white space before numbers and trailing text pass.
  EXPECT_EQ(Handle(period, " 0, 7:05\t0,24:00 and more"), "");
  EXPECT_EQ(period.DisplayText(), "c  7:05:00  5/07/02 по  0:00:00  6/07/02\n"_cp866);

  // The days back are unsigned 32-bit: the subtraction from today's day wraps.
  EXPECT_EQ(Handle(period, "4294967295,00:00 -2,00:00"), "");
  EXPECT_EQ(period.DisplayText(), "c  0:00:00  6/07/02 по  0:00:00  7/07/02\n"_cp866);

  // Each end takes the offset of its own date: a winter start in a summer run.
  EXPECT_EQ(Handle(period, "200,00:00 0,00:00"), "");
  EXPECT_EQ(period.DisplayText(), "c  0:00:00 17/12/01 по  0:00:00  5/07/02\n"_cp866);
  EXPECT_EQ(period.start(), CivilSeconds(2001, 11, 16, 21, 0, 0));
}

TEST(ReportPeriodTest, WindowEndsTakeTheOffsetOfTheirOwnDates) {
  const ScopedTimeZone zone("Europe/Moscow");
  ReportPeriod period = PeriodAt(kMoscowJanuary15);
  EXPECT_EQ(Handle(period, "1,00:00 0,00:00"), "");
  EXPECT_EQ(period.DisplayText(), "c  0:00:00 14/01/02 по  0:00:00 15/01/02\n"_cp866);
  EXPECT_EQ(period.start(), CivilSeconds(2002, 0, 13, 21, 0, 0));

  // A summer start in a winter run keeps its hour.
  EXPECT_EQ(Handle(period, "200,00:00 0,00:00"), "");
  EXPECT_EQ(period.DisplayText(), "c  0:00:00 29/06/01 по  0:00:00 15/01/02\n"_cp866);
  EXPECT_EQ(period.start(), CivilSeconds(2001, 5, 28, 20, 0, 0));
}

TEST(ReportPeriodTest, WindowAcrossTheChangesOfTheClock) {
  const ScopedTimeZone zone("Europe/Berlin");
  // The day after the clocks went back: 25 hours, from summer time to winter time.
  ReportPeriod autumn = PeriodAt(CivilSeconds(2026, 9, 26, 11, 0, 0));
  EXPECT_EQ(Handle(autumn, "1,00:00 0,00:00"), "");
  EXPECT_EQ(autumn.DisplayText(), "c  0:00:00 25/10/26 по  0:00:00 26/10/26\n"_cp866);
  EXPECT_EQ(autumn.start(), CivilSeconds(2026, 9, 24, 22, 0, 0));
  EXPECT_EQ(autumn.end() - autumn.start(), 25 * 3600);
  EXPECT_TRUE(autumn.Contains("25 Oct 26  02:30:00"));  // the summer-time 02:30
  EXPECT_TRUE(autumn.Contains("26 Oct 26  00:00:59"));
  EXPECT_FALSE(autumn.Contains("26 Oct 26  00:01:00"));
  EXPECT_FALSE(autumn.Contains("24 Oct 26  23:59:00"));

  // 02:30 does not occur on 29 March: the end lands on 03:30 summer time.
  ReportPeriod spring = PeriodAt(CivilSeconds(2026, 2, 29, 10, 0, 0));
  EXPECT_EQ(Handle(spring, "0,00:00 0,02:30"), "");
  EXPECT_EQ(spring.DisplayText(), "c  0:00:00 29/03/26 по  3:30:00 29/03/26\n"_cp866);
  EXPECT_EQ(spring.end(), CivilSeconds(2026, 2, 29, 1, 30, 0));
  EXPECT_TRUE(spring.Contains("29 Mar 26  03:30:00"));
  EXPECT_TRUE(spring.Contains("29 Mar 26  02:30:00"));  // the same instant
  EXPECT_FALSE(spring.Contains("29 Mar 26  03:31:00"));
}

TEST(ReportPeriodTest, RefusedValuesLeaveWindowAndText) {
  const ScopedTimeZone zone("Europe/Moscow");
  ReportPeriod fresh = PeriodAt(kMoscowJuly5);
  EXPECT_EQ(Handle(fresh, "0,10:00 0,10:00"), kRefused);
  EXPECT_EQ(fresh.DisplayText(), "");
  EXPECT_FALSE(fresh.Contains("05 Jul 02  10:00:00"));

  ReportPeriod period = PeriodAt(kMoscowJuly5);
  ASSERT_EQ(Handle(period, "1,00:00 0,00:00"), "");
  const std::string text(period.DisplayText());
  for (const char* value :
       {"0,10:00 0,10:00", "0,00:00 1,00:00", "1,00:00", "1,00:00 0,00", "1.00:00 0,00:00", "", "x"}) {
    EXPECT_EQ(Handle(period, value), kRefused) << value;
    EXPECT_EQ(period.DisplayText(), text) << value;
    EXPECT_EQ(period.start(), CivilSeconds(2002, 6, 3, 20, 0, 0)) << value;
    EXPECT_EQ(period.end(), CivilSeconds(2002, 6, 4, 20, 0, 0)) << value;
  }
  EXPECT_TRUE(period.Contains("04 Jul 02  12:00:00"));

  // The refusal is a NUL-terminated text that lives on.
  EXPECT_EQ(std::strlen(period.HandlePeriod("1,00:00")), kRefused.size());
}

TEST(ReportPeriodTest, NoPeriodCountsNothing) {
  const ScopedTimeZone zone("UTC");
  const ReportPeriod period = PeriodAt(kMoscowJuly5);
  EXPECT_EQ(period.DisplayText(), "");
  EXPECT_EQ(period.start(), 0);
  EXPECT_EQ(period.end(), 0);
  EXPECT_FALSE(period.Contains("05 Jul 02  00:00:00"));
  // Even a stamp whose wrapped year makes it the epoch itself.
  EXPECT_FALSE(period.Contains("01 Jan 4294967266  00:00:00"));
}

TEST(ReportPeriodTest, FilterWhenTodayIsDaylightSavingTime) {
  const ScopedTimeZone zone("Europe/Moscow");
  ReportPeriod period = PeriodAt(kMoscowJuly5);
  ASSERT_EQ(Handle(period, "1,00:00 0,00:00"), "");
  EXPECT_TRUE(period.Contains("05 Jul 02  00:00:59"));  // the seconds are dropped: equal to the end
  EXPECT_FALSE(period.Contains("05 Jul 02  00:01:00"));
  EXPECT_TRUE(period.Contains("04 Jul 02  00:00:00"));  // equal to the start
  EXPECT_FALSE(period.Contains("03 Jul 02  23:59:59"));
  EXPECT_TRUE(period.Contains("04 Jul 02  13:45:10  Tossing packet\n"));
}

TEST(ReportPeriodTest, FilterWhenTodayIsStandardTime) {
  // The window's ends and the stamps are read alike, in winter as in summer.
  const ScopedTimeZone zone("Europe/Moscow");
  ReportPeriod period = PeriodAt(kMoscowJanuary15);
  ASSERT_EQ(Handle(period, "1,00:00 0,00:00"), "");
  EXPECT_TRUE(period.Contains("15 Jan 02  00:00:59"));
  EXPECT_FALSE(period.Contains("15 Jan 02  00:01:00"));
  EXPECT_TRUE(period.Contains("14 Jan 02  00:00:00"));
  EXPECT_FALSE(period.Contains("13 Jan 02  23:59:00"));
}

TEST(ReportPeriodTest, FilterInUniversalTime) {
  const ScopedTimeZone zone("UTC");
  ReportPeriod period = PeriodAt(CivilSeconds(2002, 6, 5, 12, 0, 0));
  ASSERT_EQ(Handle(period, "1,00:00 0,00:00"), "");
  EXPECT_EQ(period.DisplayText(), "c  0:00:00  4/07/02 по  0:00:00  5/07/02\n"_cp866);
  EXPECT_TRUE(period.Contains("05 Jul 02  00:00:00"));
  EXPECT_FALSE(period.Contains("05 Jul 02  00:01:00"));
  EXPECT_FALSE(period.Contains("03 Jul 02  23:59:00"));
  EXPECT_TRUE(period.Contains("04 Jul 02  00:00:00"));
}

TEST(ReportPeriodTest, FilterNeedsTheWholeStampAndAnExactMonth) {
  const ScopedTimeZone zone("Europe/Moscow");
  ReportPeriod period = PeriodAt(kMoscowJuly5);
  ASSERT_EQ(Handle(period, "1,00:00 0,00:00"), "");

  for (const char* outside : {"05 jul 02  12:00:00", "05 JUL 02  12:00:00", "05 Jux 02  12:00:00", "05 Ju 02  12:00:00",
                              "05 July 02  12:00:00", "05 Jul 02  12:00", "05 Jul 02  12 :00:00", "", "\n",
                              "   continued text of a long line\n", "Jul 05 02  12:00:00"}) {
    EXPECT_FALSE(period.Contains(outside)) << outside;
  }
  // Blanks match any run of white space or none, and numbers skip white space.
  for (const char* inside : {"04Jul02 12:00:00", "4 Jul 2 12: 0: 0\n", "\t04 Jul\t02\n12:00:00", "+04 Jul 02  12:00:00",
                             "04 Jul 02  12:00:00x"}) {
    EXPECT_TRUE(period.Contains(inside)) << inside;
  }
}

TEST(ReportPeriodTest, FilterNeverReadsPastTheLine) {
  const ScopedTimeZone zone("Europe/Moscow");
  ReportPeriod period = PeriodAt(kMoscowJuly5);
  ASSERT_EQ(Handle(period, "1,00:00 0,00:00"), "");
  // Every prefix in a buffer of exactly its size, so that a read past it is caught.
  const std::string stamp = "04 Jul 02  12:00:59";
  for (std::size_t size = 0; size <= stamp.size(); ++size) {
    const auto buffer = std::make_unique<char[]>(size == 0 ? 1 : size);
    std::memcpy(buffer.get(), stamp.data(), size);
    const bool complete = size >= stamp.size() - 1;  // the seconds need one digit
    EXPECT_EQ(period.Contains(std::string_view(buffer.get(), size)), complete) << size;
  }
}

TEST(ReportPeriodTest, TwoDigitYearsAreThisCentury) {
  const ScopedTimeZone zone("UTC");
  ReportPeriod period = PeriodAt(CivilSeconds(2099, 6, 5, 12, 0, 0));
  ASSERT_EQ(Handle(period, "1,00:00 0,00:00"), "");
  EXPECT_EQ(period.DisplayText(), "c  0:00:00  4/07/99 по  0:00:00  5/07/99\n"_cp866);
  EXPECT_TRUE(period.Contains("04 Jul 99  12:00:00"));
  EXPECT_FALSE(period.Contains("04 Jul 00  12:00:00"));
}

// The filter remembers conversions and skips stamps far from the window; its answers
// must be those of converting every stamp afresh, also when one field alone changes
// from one line to the next.
TEST(ReportPeriodTest, FilterAgreesWithAFreshConversionOfEveryStamp) {
  static const char* const kMonths[] = {"May", "Jun", "Jul", "Aug"};
  struct Stamp {
    int year, month, day, hour, minute;
  };
  for (const char* zone_name : {"Europe/Moscow", "Pacific/Kiritimati", "Etc/GMT+12"}) {
    const ScopedTimeZone zone(zone_name);
    for (const char* window : {"1,00:00 0,00:00", "40,00:00 0,00:00"}) {
      ReportPeriod period = PeriodAt(kMoscowJuly5);
      ASSERT_EQ(Handle(period, window), "");
      int inside_count = 0;
      const auto check = [&](const Stamp& s) {
        LocalFields fields;
        fields.year = 100 + s.year;
        fields.month = s.month;
        fields.day = s.day;
        fields.hour = s.hour;
        fields.minute = s.minute;
        const std::optional<std::int64_t> t = FromLocal(&fields);
        const bool expected = t && period.start() <= *t && *t <= period.end();
        const std::string line =
            Format("%02i %s %02i  %02i:%02i:59 Text\n", s.day, kMonths[s.month - 4], s.year, s.hour, s.minute);
        EXPECT_EQ(period.Contains(line), expected) << zone_name << ", " << window << ": " << line;
        inside_count += expected;
      };
      for (int day : {0, 3, 4, 5, 32}) {
        for (int hour : {0, 12, 24}) {
          for (int minute : {0, 59, 60}) {
            const Stamp base{2, 6, day, hour, minute};
            check(base);
            for (const Stamp& variant : {Stamp{1, 6, day, hour, minute}, Stamp{3, 6, day, hour, minute},
                                         Stamp{2, 5, day, hour, minute}, Stamp{2, 7, day, hour, minute},
                                         Stamp{2, 6, day - 1, hour, minute}, Stamp{2, 6, day + 1, hour, minute},
                                         Stamp{2, 6, day, hour - 1, minute}, Stamp{2, 6, day, hour + 1, minute},
                                         Stamp{2, 6, day, hour, minute - 1}, Stamp{2, 6, day, hour, minute + 1}}) {
              check(variant);
              check(base);
            }
          }
        }
      }
      EXPECT_GT(inside_count, 100) << zone_name << ", " << window;
    }
  }
}

// Stamps deep inside a long window are answered without converting them; around the
// changes of the clock, gaps and repeated hours included, the answers must still be
// those of converting every stamp afresh.
TEST(ReportPeriodTest, LongWindowsAgreeWithAFreshConversionAcrossTheClockChanges) {
  const ScopedTimeZone zone("Europe/Berlin");
  static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  ReportPeriod period = PeriodAt(kMoscowJuly5);
  ASSERT_EQ(Handle(period, "330,00:00 0,00:00"), "");  // from August 2001 on
  int inside_count = 0;
  // The days of the changes, days deep inside and outside, and the days at both ends.
  for (const auto& [month, day] : {std::pair{2, 31}, std::pair{9, 28}, std::pair{7, 20}, std::pair{5, 30},
                                   std::pair{7, 8}, std::pair{7, 9}, std::pair{6, 4}, std::pair{6, 5}}) {
    for (int year : {1, 2}) {
      for (int minute = 0; minute < 24 * 60; minute += 7) {
        LocalFields fields;
        fields.year = 100 + year;
        fields.month = month;
        fields.day = day;
        fields.hour = minute / 60;
        fields.minute = minute % 60;
        const std::optional<std::int64_t> t = FromLocal(&fields);
        const bool expected = t && period.start() <= *t && *t <= period.end();
        const std::string line =
            Format("%02i %s %02i  %02i:%02i:00 Text\n", day, kMonths[month], year, minute / 60, minute % 60);
        EXPECT_EQ(period.Contains(line), expected) << line;
        inside_count += expected;
      }
    }
  }
  EXPECT_EQ(inside_count, 6 * 206 + 1);  // six whole days and the window's last minute
}

}  // namespace
}  // namespace kestrum
