#include "platform/local_time.h"

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <limits>

namespace kestrum {

static_assert(sizeof(std::time_t) >= 8, "calendar time must be 64-bit");

namespace {

// Days from 1970-01-01 to the given civil date (month 1..12), for any year.
std::int64_t DaysFromCivil(std::int64_t y, std::int64_t m, std::int64_t d) {
  y -= m <= 2;
  const std::int64_t era = FloorDiv(y, 400);
  const std::int64_t yoe = y - era * 400;
  const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

bool LocalTm(std::int64_t t, std::tm* out) {
#if defined(_WIN32)
  // The runtime reads times from 1970 to the year 3000 only, and every year by the zone's
  // rule of this one (a TZ with a daylight-saving name by the U.S. rule of that year,
  // which for years past 2006 is today's). A Gregorian cycle of 400 years repeats every
  // date and weekday, so a time outside is read as the same moment whole cycles away,
  // and its year moved back.
  constexpr std::int64_t kCycle = std::int64_t{146097} * 86400;
  std::int64_t cycles = 0;
  if (t < 0 || t >= 2 * kCycle) cycles = FloorDiv(t, kCycle) - 1;
  const auto time = static_cast<std::time_t>(t - cycles * kCycle);
  if (localtime_s(out, &time) != 0) return false;
  const std::int64_t year = std::int64_t{out->tm_year} + cycles * 400;
  if (year < std::numeric_limits<int>::min() || year > std::numeric_limits<int>::max()) return false;
  out->tm_year = static_cast<int>(year);
  return true;
#else
  const auto time = static_cast<std::time_t>(t);
  return localtime_r(&time, out) != nullptr;
#endif
}

std::int64_t OffsetOf(const std::tm& tm, std::int64_t t) {
  return CivilSeconds(std::int64_t{tm.tm_year} + 1900, tm.tm_mon, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec) - t;
}

}  // namespace

std::int64_t SystemNow() { return static_cast<std::int64_t>(std::time(nullptr)); }

namespace {

// Three ASCII letters at `at`: a zone's name in the runtime's form.
bool ThreeLetters(std::string_view value, std::size_t at) {
  if (value.size() < at + 3) return false;
  return std::all_of(value.begin() + static_cast<std::ptrdiff_t>(at),
                     value.begin() + static_cast<std::ptrdiff_t>(at + 3),
                     [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); });
}

// `count` decimal digits at `at`.
bool Digits(std::string_view value, std::size_t at, std::size_t count) {
  for (std::size_t i = at; i < at + count; ++i) {
    if (i >= value.size() || value[i] < '0' || value[i] > '9') return false;
  }
  return true;
}

}  // namespace

bool IsWindowsTzForm(std::string_view value) {
  if (!ThreeLetters(value, 0)) return false;
  std::size_t at = 3;
  if (at < value.size() && (value[at] == '+' || value[at] == '-')) ++at;
  // The hours: one or two digits, up to 24.
  if (!Digits(value, at, 1)) return false;
  int hours = value[at++] - '0';
  if (Digits(value, at, 1)) hours = hours * 10 + (value[at++] - '0');
  if (hours > 24) return false;
  // Minutes, then seconds, each a colon and two digits below 60.
  for (int part = 0; part < 2 && at < value.size() && value[at] == ':'; ++part) {
    if (!Digits(value, at + 1, 2) || value[at + 1] > '5') return false;
    at += 3;
  }
  return at == value.size() || (ThreeLetters(value, at) && at + 3 == value.size());
}

void InitTimeZone() {
#if defined(_WIN32)
  if (const char* tz = std::getenv("TZ"); tz != nullptr && *tz != '\0' && !IsWindowsTzForm(tz)) _putenv("TZ=");
  _tzset();
#else
  tzset();
#endif
}

std::int64_t CivilSeconds(std::int64_t year, std::int64_t month0, std::int64_t day, std::int64_t hour,
                          std::int64_t minute, std::int64_t second) {
  year += FloorDiv(month0, 12);
  month0 -= FloorDiv(month0, 12) * 12;
  const std::int64_t days = DaysFromCivil(year, month0 + 1, 1) + (day - 1);
  return ((days * 24 + hour) * 60 + minute) * 60 + second;
}

CivilDate DateOfDay(std::int64_t days) {
  // Days from 1 March of year 0, in eras of 400 years that begin on 1 March.
  const std::int64_t z = days + 719468;
  const std::int64_t era = FloorDiv(z, 146097);
  const std::int64_t doe = z - era * 146097;                                       // 0..146096
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;  // 0..399
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);                // 0..365
  const std::int64_t mp = (5 * doy + 2) / 153;                                     // 0 = March
  CivilDate date;
  date.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  date.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  date.year = yoe + era * 400 + (date.month <= 2);
  const std::int64_t from_sunday = days + 4;  // 1970-01-01 was a Thursday
  date.weekday = static_cast<int>(from_sunday - FloorDiv(from_sunday, 7) * 7);
  return date;
}

std::optional<LocalFields> ToLocal(std::int64_t t) {
  std::tm tm{};
  if (!LocalTm(t, &tm)) return std::nullopt;
  LocalFields f;
  f.second = tm.tm_sec;
  f.minute = tm.tm_min;
  f.hour = tm.tm_hour;
  f.day = tm.tm_mday;
  f.month = tm.tm_mon;
  f.year = tm.tm_year;
  f.weekday = tm.tm_wday;
  f.yearday = tm.tm_yday;
  f.dst = tm.tm_isdst > 0;
  return f;
}

std::optional<std::int64_t> UtcOffset(std::int64_t t) {
  std::tm tm{};
  if (!LocalTm(t, &tm)) return std::nullopt;
  return OffsetOf(tm, t);
}

std::optional<std::int64_t> LocalToCalendar(std::int64_t local) {
  // Every reading of a local time lies within a day of it (no zone is 26 hours from UTC),
  // so the offsets 30 hours either side are those before and after any change of offset
  // that can touch it. A reading local - o is valid when o is the offset at that instant.
  constexpr std::int64_t kReach = std::int64_t{30} * 3600;
  const std::optional<std::int64_t> before = UtcOffset(local - kReach);
  const std::optional<std::int64_t> after = UtcOffset(local + kReach);
  if (!before || !after) return std::nullopt;

  // The candidate offsets: those either side, and those in force where a reading by them
  // lands (other ones only where changes come close together), each with the offset at
  // its own reading.
  std::int64_t offsets[4] = {};
  std::int64_t landed[4] = {};
  int count = 0;
  const auto add = [&](std::int64_t offset) {
    for (int i = 0; i < count; ++i) {
      if (offsets[i] == offset) return true;
    }
    const std::optional<std::int64_t> at = UtcOffset(local - offset);
    if (!at) return false;
    offsets[count] = offset;
    landed[count++] = *at;
    return true;
  };
  if (!add(*before) || !add(*after)) return std::nullopt;
  const int after_index = count - 1;
  for (int i = 0, sides = count; i < sides; ++i) {
    if (!add(landed[i])) return std::nullopt;
  }

  // The largest valid offset gives the earliest instant.
  std::optional<std::int64_t> earliest;
  for (int i = 0; i < count; ++i) {
    if (landed[i] == offsets[i] && (!earliest || offsets[i] > *earliest)) earliest = offsets[i];
  }
  if (earliest) return local - *earliest;
  // A time skipped by a change: read with the offset in force before it, which is the
  // offset at the reading by the later offset (an instant before the change).
  return local - landed[after_index];
}

std::optional<std::int64_t> FromLocal(LocalFields* fields) {
  const std::optional<std::int64_t> t = LocalToCalendar(
      CivilSeconds(fields->year + 1900, fields->month, fields->day, fields->hour, fields->minute, fields->second));
  if (!t) return std::nullopt;
  const std::optional<LocalFields> result = ToLocal(*t);
  if (!result) return std::nullopt;
  *fields = *result;
  return t;
}

}  // namespace kestrum
