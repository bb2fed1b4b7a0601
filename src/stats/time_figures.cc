#include "stats/time_figures.h"

#include <algorithm>

namespace kestrum {

namespace {

constexpr std::int64_t kSecondsPerDay = 86400;
constexpr std::int64_t kSecondsPerHour = 3600;

// The local time at calendar time t (t itself where the zone cannot tell it).
std::int64_t LocalReading(std::int64_t t) {
  const std::optional<std::int64_t> offset = UtcOffset(t);
  return t + offset.value_or(0);
}

}  // namespace

TimeFigures::TimeFigures(std::int64_t first_day, std::int64_t last_day, std::uint32_t hidden_flags)
    : first_day_(first_day),
      last_day_(last_day),
      hidden_flags_(hidden_flags),
      recent_first_(std::max(first_day, last_day - kYearOfDays + 1)),
      oldest_shown_(std::max(first_day, last_day - kMaxDayRows + 1)) {
  if (last_day >= first_day) recent_.resize(static_cast<std::size_t>(last_day - recent_first_ + 1));
}

TimeFigures::TimeFigures(const TimeFigures& other)
    : first_day_(other.first_day_),
      last_day_(other.last_day_),
      hidden_flags_(other.hidden_flags_),
      recent_first_(other.recent_first_),
      recent_(other.recent_),
      oldest_shown_(other.oldest_shown_),
      earlier_(other.earlier_),
      before_shown_(other.before_shown_),
      hours_(other.hours_),
      first_taken_(other.first_taken_),
      last_taken_(other.last_taken_),
      offset_hint_(other.offset_hint_) {}

TimeFigures TimeFigures::ForWindow(const ReportPeriod& period, std::uint32_t hidden_flags) {
  if (!period.has_window()) return TimeFigures(1, 0, hidden_flags);
  const std::int64_t first = FloorDiv(LocalReading(period.start()), kSecondsPerDay);
  // The end is taken in: an end at 0:00 is the last moment of the day before (also where
  // the clock jumps at midnight and 0:00 is read as 1:00).
  const std::int64_t last = FloorDiv(LocalReading(period.end() - 1), kSecondsPerDay);
  return TimeFigures(first, std::max(first, last), hidden_flags);
}

TimeFigures TimeFigures::EmptyCopy(std::uint32_t hidden_flags) const {
  return TimeFigures(first_day_, last_day_, hidden_flags);
}

void TimeFigures::Flush() {
  if (day_ != nullptr) {
    *day_ += pending_;
    *hour_ += pending_;
  }
  pending_ = TrafficFigures{};
}

void TimeFigures::PlaceStamp(std::int64_t local) {
  const std::int64_t hour = FloorDiv(local, kSecondsPerHour);
  if (day_ == nullptr || hour * kSecondsPerHour != stamp_hour_start_) {
    stamp_hour_start_ = hour * kSecondsPerHour;
    stamp_minute_valid_ = false;
    whole_hour_start_ = HourExists(hour) ? stamp_hour_start_ : kNoWholeHour;
  }
  std::int64_t reading = local;
  if (whole_hour_start_ == kNoWholeHour) {
    // An hour that a change of offset runs through: each minute is read on its own, by
    // the local time of the instant it stands for.
    if (stamp_minute_valid_ && local == stamp_minute_) return;
    stamp_minute_ = local;
    stamp_minute_valid_ = true;
    const std::optional<std::int64_t> t = LocalToCalendar(local);
    const std::optional<std::int64_t> offset = t ? UtcOffset(*t) : std::nullopt;
    if (offset) {
      offset_hint_ = *offset;
      reading = *t + *offset;
    }
  }

  Flush();
  if (last_day_ < first_day_) return;
  const std::int64_t day = FloorDiv(reading, kSecondsPerDay);
  // A line at the window's very end, or read into a day around it by a change of offset,
  // counts in the nearest day of the window.
  const std::int64_t row = std::clamp(day, first_day_, last_day_);
  if (first_taken_ > last_taken_) {
    first_taken_ = last_taken_ = row;
  } else {
    first_taken_ = std::min(first_taken_, row);
    last_taken_ = std::max(last_taken_, row);
  }
  day_ = &DayAt(row);
  hour_ = &hours_[static_cast<std::size_t>(FloorDiv(reading, kSecondsPerHour) - day * 24)];
}

bool TimeFigures::HourExists(std::int64_t hour) {
  // Every local minute of the hour occurs, as itself, when its first and last seconds
  // are read by one offset, the offset at both readings: no zone changes its offset
  // twice within an hour. The offset last seen is tried first, then the one found there.
  const std::int64_t first = hour * kSecondsPerHour;
  const std::int64_t last = first + kSecondsPerHour - 1;
  for (int attempt = 0; attempt < 2; ++attempt) {
    const std::optional<std::int64_t> at_first = UtcOffset(first - offset_hint_);
    if (!at_first) return false;
    if (*at_first != offset_hint_) {
      offset_hint_ = *at_first;
      continue;
    }
    const std::optional<std::int64_t> at_last = UtcOffset(last - offset_hint_);
    return at_last && *at_last == offset_hint_;
  }
  return false;
}

TrafficFigures& TimeFigures::DayAt(std::int64_t day) {
  if (day >= recent_first_) return recent_[static_cast<std::size_t>(day - recent_first_)];
  if (day >= oldest_shown_) return earlier_[day];
  return before_shown_;
}

TimeFigures& TimeFigures::operator+=(const TimeFigures& other) {
  for (std::size_t i = 0; i < recent_.size() && i < other.recent_.size(); ++i) recent_[i] += other.recent_[i];
  for (const auto& [day, figures] : other.earlier_) earlier_[day] += figures;
  before_shown_ += other.before_shown_;
  for (std::size_t i = 0; i < hours_.size(); ++i) hours_[i] += other.hours_[i];
  if (other.first_taken_ <= other.last_taken_) {
    if (first_taken_ > last_taken_) {
      first_taken_ = other.first_taken_;
      last_taken_ = other.last_taken_;
    } else {
      first_taken_ = std::min(first_taken_, other.first_taken_);
      last_taken_ = std::max(last_taken_, other.last_taken_);
    }
  }
  return *this;
}

TimeFigures& TimeFigures::operator-=(const TimeFigures& other) {
  for (std::size_t i = 0; i < recent_.size() && i < other.recent_.size(); ++i) recent_[i] -= other.recent_[i];
  for (const auto& [day, figures] : other.earlier_) earlier_[day] -= figures;
  before_shown_ -= other.before_shown_;
  for (std::size_t i = 0; i < hours_.size(); ++i) hours_[i] -= other.hours_[i];
  return *this;
}

std::vector<TimeFigures::DayRow> TimeFigures::DayRows() const {
  std::vector<DayRow> rows;
  if (last_day_ < first_day_) return rows;
  const bool taken = first_taken_ <= last_taken_;
  std::int64_t from = first_day_;
  if (last_day_ - first_day_ + 1 > kYearOfDays) from = taken ? first_taken_ : last_day_ - kYearOfDays + 1;
  from = std::max(from, oldest_shown_);
  rows.reserve(static_cast<std::size_t>(last_day_ - from + 1));
  auto earlier = earlier_.lower_bound(from);
  for (std::int64_t day = from; day <= last_day_; ++day) {
    DayRow row{day, {}, false};
    if (day >= recent_first_) {
      row.figures = recent_[static_cast<std::size_t>(day - recent_first_)];
    } else if (earlier != earlier_.end() && earlier->first == day) {
      row.figures = earlier->second;
      ++earlier;
    }
    rows.push_back(row);
  }
  // Lines of days too early for the rows count in the first.
  if (taken && first_taken_ < from) {
    rows.front().figures += before_shown_;
    rows.front().with_days_before = true;
  }
  return rows;
}

}  // namespace kestrum
