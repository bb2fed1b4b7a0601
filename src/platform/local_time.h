// Local calendar time in 64-bit seconds, with the daylight-saving flag handled by our own
// rule rather than the C library's mktime: fields with the flag clear are standard local
// time; with the flag set they are daylight-saving time, exactly 3600 seconds earlier
// than the same fields taken as standard time, whatever the zone's rules say for that date.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

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
  bool dst = false;
};

// The clock that says what "today" is; tests pin it.
using Clock = std::function<std::int64_t()>;
std::int64_t SystemNow();

// Sets up the platform's time-zone settings from the environment (TZ).
void InitTimeZone();

// Seconds since the epoch of a proleptic Gregorian date and time taken as UTC. Fields may
// lie out of their ranges (month 14, day 0, hour 30): they run into the neighbouring units.
std::int64_t CivilSeconds(std::int64_t year, std::int64_t month0, std::int64_t day, std::int64_t hour,
                          std::int64_t minute, std::int64_t second);

// The local time of calendar time t, with the zone's own daylight-saving flag; none when
// the platform cannot represent it.
std::optional<LocalFields> ToLocal(std::int64_t t);

// Offset east of UTC, in seconds, of the zone's standard (non-daylight-saving) time around
// moment t; none when t cannot be represented.
std::optional<std::int64_t> StandardOffset(std::int64_t t);

// Converts local fields to calendar time by the flag rule above, normalising out-of-range
// fields, and rewrites the fields with the local time of the result. None on failure
// (the result cannot be represented); the fields are then unchanged.
std::optional<std::int64_t> FromLocal(LocalFields* fields);

}  // namespace kestrum
