// Local calendar time in 64-bit seconds, read by the time zone's own rules: a local date
// and time is taken with the UTC offset that the zone gives for that moment. A time that
// occurs twice (the clock was set back) is the earlier instant; a time that does not occur
// (the clock was set forward) is read with the offset in force before the change.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

namespace kestrum {

struct LocalFields {
  std::int64_t second = 0;
  std::int64_t minute = 0;
  std::int64_t hour = 0;
  std::int64_t day = 0;    // day of month, 1..31 when normalised
  std::int64_t month = 0;  // 0..11 when normalised
  std::int64_t year = 0;   // years since 1900
  int weekday = 0;         // 0 = Sunday
  int yearday = 0;         // 0 = 1 January
  bool dst = false;        // as the zone reports it; never read by FromLocal
};

// The clock that says what "today" is; tests pin it.
using Clock = std::function<std::int64_t()>;
std::int64_t SystemNow();

// Sets up the platform's time-zone settings from the environment (TZ). On Windows the C
// runtime reads TZ only in its own form (see IsWindowsTzForm); it would take any other
// value, an IANA name such as Europe/Berlin among them, for a zone without offset, so
// such a value is dropped and the zone set in Windows is used instead.
void InitTimeZone();

// True for a TZ value in the form the Windows C runtime reads: a three-letter zone name,
// the hours west of UTC with an optional sign and optional :mm and :ss, and an optional
// three-letter daylight-saving name ("MSK-3", "EST5EDT", "IST-5:30", "UTC0").
bool IsWindowsTzForm(std::string_view value);

// a / b rounded toward minus infinity (b > 0), for times before the epoch too.
inline std::int64_t FloorDiv(std::int64_t a, std::int64_t b) { return a / b - (a % b < 0); }

// A proleptic Gregorian date.
struct CivilDate {
  std::int64_t year = 1970;
  int month = 1;    // 1..12
  int day = 1;      // 1..31
  int weekday = 4;  // 0 = Sunday
};

// The date of a day counted from 1970-01-01 (day 0), for any year.
CivilDate DateOfDay(std::int64_t days);

// Seconds since the epoch of a proleptic Gregorian date and time taken as UTC. Fields may
// lie out of their ranges (month 14, day 0, hour 30): they run into the neighbouring units.
std::int64_t CivilSeconds(std::int64_t year, std::int64_t month0, std::int64_t day, std::int64_t hour,
                          std::int64_t minute, std::int64_t second);

// The local time of calendar time t, with the zone's own daylight-saving flag; none when
// the platform cannot represent it.
std::optional<LocalFields> ToLocal(std::int64_t t);

// Offset east of UTC, in seconds, of the local time at calendar time t; none when t
// cannot be represented.
std::optional<std::int64_t> UtcOffset(std::int64_t t);

// The calendar time of a local date and time given as CivilSeconds of its fields, by the
// rules above; none when it cannot be represented.
std::optional<std::int64_t> LocalToCalendar(std::int64_t local);

// Converts local fields, normalising out-of-range ones, to calendar time, and rewrites
// the fields with the local time of the result. None on failure; the fields are then
// unchanged.
std::optional<std::int64_t> FromLocal(LocalFields* fields);

}  // namespace kestrum
