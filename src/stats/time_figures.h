// The traffic of the period by local day and by local hour of the day: what the area
// lines inside the window add to the areas that the area reports show, summed for the
// day and for the hour of each line's stamp. Days and hours are read by the zone's own
// rules: a stamp is placed by the local time of the instant it stands for, so a skipped
// hour gets nothing, a repeated hour is one hour, and a day of 23 or 25 hours is one day.
// A few figures a day, for at most kMaxDayRows days, and 24 hours: memory does not grow
// with the log's length.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <vector>

#include "platform/local_time.h"
#include "stats/area_set.h"
#include "stats/period.h"

namespace kestrum {

class TimeFigures {
 public:
  // A window of more days than this shows its days from the day of its first line.
  static constexpr std::int64_t kYearOfDays = 366;
  // The most day rows ever shown: a hundred years and more, every day a log's two-digit
  // years can name. The figures of the days before them go to the first row.
  static constexpr std::int64_t kMaxDayRows = 40000;

  // A day row: its day (from 1970-01-01) and its figures, which for the first of
  // kMaxDayRows rows may also hold those of the days before it.
  struct DayRow {
    std::int64_t day = 0;
    TrafficFigures figures;
    bool with_days_before = false;
  };

  // For the window's local days first_day..last_day (days from 1970-01-01, last_day >=
  // first_day); areas with any of hidden_flags count in no day and no hour.
  TimeFigures(std::int64_t first_day, std::int64_t last_day, std::uint32_t hidden_flags);
  // A copy has the figures added up so far (those of the last lines only after Flush);
  // it places the next stamp afresh.
  TimeFigures(const TimeFigures& other);
  TimeFigures& operator=(const TimeFigures& other) = delete;
  ~TimeFigures() = default;

  // For the period's window: from the day of its start to the day of its end, an end at
  // exactly 0:00 closing the day before. Without a window there are no days.
  static TimeFigures ForWindow(const ReportPeriod& period, std::uint32_t hidden_flags);

  // The same days and hidden flags (or the hidden flags given), every figure zero.
  TimeFigures EmptyCopy() const { return EmptyCopy(hidden_flags_); }
  TimeFigures EmptyCopy(std::uint32_t hidden_flags) const;

  // The stamp of the line now taken, which lies inside the window: its local date and
  // time as CivilSeconds of its fields. Inline: it runs for every line inside the window.
  void Stamp(std::int64_t local) {
    // Stamps lie within 2^58 seconds of the epoch: the difference never overflows.
    if (static_cast<std::uint64_t>(local - whole_hour_start_) >= 3600) PlaceStamp(local);
  }

  // Adds what an area line added to its area to the day and the hour of the last stamp,
  // unless the area is one the area reports do not show. The figures of a run of lines
  // of one day and hour are added up first and go to both when the stamps move on or
  // at Flush().
  void Add(std::uint32_t area_flags, const TrafficFigures& figures) {
    if ((area_flags & hidden_flags_) == 0) pending_ += figures;
  }

  // Adds up the figures of the last lines; due at the end of every reading.
  void Flush();

  std::uint32_t hidden_flags() const { return hidden_flags_; }

  // Figures of another reading of the same window added or taken away, day by day and
  // hour by hour; adding also widens the days of the lines taken.
  TimeFigures& operator+=(const TimeFigures& other);
  TimeFigures& operator-=(const TimeFigures& other);

  // The day rows, in order: every day of the window, empty ones included, up to its
  // last; for a window longer than kYearOfDays, from the day of its first line taken
  // (without one, its last kYearOfDays days); never more than kMaxDayRows.
  std::vector<DayRow> DayRows() const;

  // The hours of the day, 0:00 to 23:00, each summed over the whole period.
  const std::array<TrafficFigures, 24>& hours() const { return hours_; }

 private:
  // Finds the day and hour of a stamp not in the hour of the last one.
  void PlaceStamp(std::int64_t local);
  // Whether every minute of a local hour occurs, read by one offset.
  bool HourExists(std::int64_t hour);
  TrafficFigures& DayAt(std::int64_t day);

  std::int64_t first_day_ = 0;
  std::int64_t last_day_ = -1;
  std::uint32_t hidden_flags_ = 0;
  // The window's last days, up to kYearOfDays of them, from recent_first_; the days
  // before them, only in a longer window, where lines were taken, from oldest_shown_;
  // and those before that all together.
  std::int64_t recent_first_ = 0;
  std::vector<TrafficFigures> recent_;
  std::int64_t oldest_shown_ = 0;
  std::map<std::int64_t, TrafficFigures> earlier_;
  TrafficFigures before_shown_;
  std::array<TrafficFigures, 24> hours_{};
  // The days of the first and last lines taken; none while first_taken_ > last_taken_.
  std::int64_t first_taken_ = 1;
  std::int64_t last_taken_ = 0;

  // Where the last stamp's figures go, and the start of its local hour when every minute
  // of that hour occurs (so that the whole hour goes there).
  TrafficFigures* day_ = nullptr;
  TrafficFigures* hour_ = nullptr;
  TrafficFigures pending_;  // of the lines since the last stamp placed
  std::int64_t stamp_hour_start_ = 0;
  // stamp_hour_start_ when every minute of that hour occurs, else kNoWholeHour, from which
  // no stamp lies within the hour (and the stamps of the hour are placed minute by minute).
  static constexpr std::int64_t kNoWholeHour = -(std::int64_t{1} << 62);
  std::int64_t whole_hour_start_ = kNoWholeHour;
  std::int64_t stamp_minute_ = 0;  // the last stamp placed minute by minute
  bool stamp_minute_valid_ = false;
  std::int64_t offset_hint_ = 0;  // the zone's offset last seen
};

}  // namespace kestrum
