#include "platform/local_time.h"

#include <ctime>

namespace kestrum {

static_assert(sizeof(std::time_t) >= 8, "calendar time must be 64-bit");

namespace {

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

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
  const auto time = static_cast<std::time_t>(t);
#if defined(_WIN32)
  return localtime_s(out, &time) == 0;
#else
  return localtime_r(&time, out) != nullptr;
#endif
}

std::int64_t OffsetOf(const std::tm& tm, std::int64_t t) {
  return CivilSeconds(std::int64_t{tm.tm_year} + 1900, tm.tm_mon, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec) - t;
}

}  // namespace

std::int64_t SystemNow() { return static_cast<std::int64_t>(std::time(nullptr)); }

void InitTimeZone() {
#if defined(_WIN32)
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

std::optional<std::int64_t> StandardOffset(std::int64_t t) {
  std::tm tm{};
  if (!LocalTm(t, &tm)) return std::nullopt;
  if (tm.tm_isdst <= 0) return OffsetOf(tm, t);
  // In daylight-saving time: the standard offset is that of the nearest moment in
  // standard time, looked for week by week up to a year and a half away.
  constexpr std::int64_t kWeek = 7 * 24 * 3600;
  for (std::int64_t k = 1; k <= 78; ++k) {
    for (const std::int64_t probe : {t - k * kWeek, t + k * kWeek}) {
      std::tm other{};
      if (LocalTm(probe, &other) && other.tm_isdst == 0) return OffsetOf(other, probe);
    }
  }
  return OffsetOf(tm, t) - 3600;  // a zone that never leaves daylight-saving time
}

std::optional<std::int64_t> FromLocal(LocalFields* fields) {
  const std::int64_t local =
      CivilSeconds(fields->year + 1900, fields->month, fields->day, fields->hour, fields->minute, fields->second);
  // The standard offset may itself change near the moment (a zone that moved its
  // standard time): settle it on the candidate instant.
  std::optional<std::int64_t> offset = StandardOffset(local);
  if (!offset) return std::nullopt;
  std::int64_t t = local - *offset;
  const std::optional<std::int64_t> settled = StandardOffset(t);
  if (!settled) return std::nullopt;
  t = local - *settled;
  if (fields->dst) t -= 3600;
  const std::optional<LocalFields> result = ToLocal(t);
  if (!result) return std::nullopt;
  *fields = *result;
  return t;
}

}  // namespace kestrum
