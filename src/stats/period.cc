#include "stats/period.h"

#include <array>
#include <cstring>

#include "platform/cp866.h"
#include "platform/format.h"
#include "stats/scan.h"

namespace kestrum {

namespace {

constexpr std::string_view kPeriodError = "Ошибка задания периода"_cp866;

// The first "c" is the Latin letter; "по" is Cyrillic.
constexpr std::string_view kDisplayFormat = "c %2i:%02i:00 %2i/%02i/%02i по %2i:%02i:00 %2i/%02i/%02i\n"_cp866;

constexpr std::array<std::string_view, 12> kMonthNames = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// More than any zone's offset from UT.
constexpr std::int64_t kStampOffsetBound = std::int64_t{7} * 24 * 3600;

// One end of the window as written: days back from today, hour, minute.
struct WindowEnd {
  std::uint32_t days_back = 0;
  std::uint32_t hour = 0;
  std::uint32_t minute = 0;
};

// "D,H:M"; white space may precede each number.
bool ScanWindowEnd(Scanner& scan, WindowEnd* end) {
  return scan.Unsigned(&end->days_back) && scan.Char(',') && scan.Unsigned(&end->hour) && scan.Char(':') &&
         scan.Unsigned(&end->minute);
}

// The local fields of one end: today's month and year, the day of month moved back by the
// days given. The numbers are unchecked 32-bit values, so the subtraction wraps and
// out-of-range fields are left to the conversion to normalise.
LocalFields EndFields(const LocalFields& today, const WindowEnd& end) {
  LocalFields fields;
  fields.second = 0;
  fields.minute = static_cast<std::int32_t>(end.minute);
  fields.hour = static_cast<std::int32_t>(end.hour);
  fields.day = static_cast<std::int32_t>(static_cast<std::uint32_t>(today.day) - end.days_back);
  fields.month = today.month;
  fields.year = today.year;
  fields.weekday = 0;
  fields.yearday = 0;
  return fields;
}

// True for a stamp laid out exactly as the tosser writes it, "DD Mon YY  HH:MM:SS" with
// two-digit numbers and a three-character month, whose fields sit at fixed places. The
// seconds need only begin with a digit: they are read but not used.
bool IsPlainStamp(std::string_view line) {
  if (line.size() < 18) return false;
  const auto digit = [&](std::size_t at) { return line[at] >= '0' && line[at] <= '9'; };
  return digit(0) && digit(1) && line[2] == ' ' && !IsScanSpace(line[3]) && !IsScanSpace(line[4]) &&
         !IsScanSpace(line[5]) && line[6] == ' ' && digit(7) && digit(8) && line[9] == ' ' && line[10] == ' ' &&
         digit(11) && digit(12) && line[13] == ':' && digit(14) && digit(15) && line[16] == ':' && digit(17);
}

// The month number 0..11 of an abbreviation, compared case-sensitively; -1 if none.
int MonthIndex(std::string_view name) {
  for (std::size_t i = 0; i < kMonthNames.size(); ++i) {
    if (kMonthNames[i] == name) return static_cast<int>(i);
  }
  return -1;
}

}  // namespace

const char* ReportPeriod::HandlePeriod(std::string_view value) {
  Scanner scan(value);
  WindowEnd first;
  WindowEnd last;
  if (!ScanWindowEnd(scan, &first)) return kPeriodError.data();
  scan.SkipSpace();
  if (!ScanWindowEnd(scan, &last)) return kPeriodError.data();

  const std::int64_t now = clock_();
  InitTimeZone();
  // The zone may have changed: conversions remembered under the old one are void.
  cache_valid_ = false;
  last_plain_valid_ = false;
  const std::optional<LocalFields> today = ToLocal(now);
  if (!today) return kPeriodError.data();

  // Both ends are built and checked aside, so a refused value leaves the window as it was.
  LocalFields start_fields = EndFields(*today, first);
  LocalFields end_fields = EndFields(*today, last);
  const std::optional<std::int64_t> start = FromLocal(&start_fields);
  if (!start) return kPeriodError.data();
  const std::optional<std::int64_t> end = FromLocal(&end_fields);
  if (!end || *start >= *end) return kPeriodError.data();

  has_window_ = true;
  start_ = *start;
  end_ = *end;
  offsets_known_at_ends_ = UtcOffset(start_).has_value() && UtcOffset(end_).has_value();
  display_text_ = Format(kDisplayFormat, start_fields.hour, start_fields.minute, start_fields.day,
                         start_fields.month + 1, start_fields.year - 100, end_fields.hour, end_fields.minute,
                         end_fields.day, end_fields.month + 1, end_fields.year - 100);
  return nullptr;
}

bool ReportPeriod::ContainsSlowly(std::string_view line) const {
  // Without an accepted window nothing is inside, whatever a stamp converts to.
  if (!has_window_) return false;

  // A stamp at the fixed places is read there and remembered; anything else takes the
  // general path.
  if (IsPlainStamp(line)) {
    const auto two_digits = [&](std::size_t at) {
      return static_cast<std::int32_t>((line[at] - '0') * 10 + (line[at + 1] - '0'));
    };
    const int month_index = MonthIndex(line.substr(3, 3));
    bool inside = false;
    if (month_index >= 0) {
      inside = StampInside(StampKey{two_digits(0), month_index, two_digits(7) + 100, two_digits(11), two_digits(14)});
    }
    std::memcpy(last_plain_.data(), line.data(), last_plain_.size());
    last_plain_inside_ = inside;
    last_plain_valid_ = true;
    return inside;
  }

  // "DD Mon YY  HH:MM:SS": blanks stand for any run of white space, also none, and each
  // number may be preceded by white space; the month takes one to three non-white
  // characters. All six items must be there, although the seconds are not used.
  Scanner scan(line);
  std::uint32_t day = 0;
  std::string_view month;
  std::uint32_t year = 0;
  std::uint32_t hour = 0;
  std::uint32_t minute = 0;
  std::uint32_t second = 0;
  if (!scan.Unsigned(&day) || !scan.Word(3, &month) || !scan.Unsigned(&year) || !scan.Unsigned(&hour) ||
      !scan.Char(':') || !scan.Unsigned(&minute) || !scan.Char(':') || !scan.Unsigned(&second)) {
    return false;
  }
  const int month_index = MonthIndex(month);
  if (month_index < 0) return false;

  // The next plain stamp is compared anew, so that the last local time compared is its own.
  last_plain_valid_ = false;
  // Two-digit years are years of this century; the numbers are 32-bit and wrap.
  return StampInside(StampKey{static_cast<std::int32_t>(day), month_index, static_cast<std::int32_t>(year + 100U),
                              static_cast<std::int32_t>(hour), static_cast<std::int32_t>(minute)});
}

bool ReportPeriod::StampInside(const StampKey& key) const {
  // A stamp counts from the start of its minute. Most lines of a long log lie far from
  // the window; a stamp's calendar time differs from its fields read as UT by the zone's
  // offset, which no zone brings near a week, so a stamp that far outside needs no
  // conversion.
  const std::int64_t local = CivilSeconds(std::int64_t{key.year} + 1900, key.month, key.day, key.hour, key.minute, 0);
  last_local_ = local;
  if (local < start_ - kStampOffsetBound || local > end_ + kStampOffsetBound) return false;
  // Likewise a stamp that far inside a long window is inside: its conversion is the
  // local time less one of the zone's offsets, and can fail only where the zone's
  // offsets cannot be told, which is nowhere between two instants where they can.
  if (offsets_known_at_ends_ && local >= start_ + kStampOffsetBound && local <= end_ - kStampOffsetBound) return true;

  const std::optional<std::int64_t> t = StampTime(local);
  return t && start_ <= *t && *t <= end_;
}

std::optional<std::int64_t> ReportPeriod::StampTime(std::int64_t local) const {
  if (cache_valid_ && local == cached_local_) return cached_time_;
  cached_time_ = LocalToCalendar(local);
  cached_local_ = local;
  cache_valid_ = true;
  return cached_time_;
}

}  // namespace kestrum
