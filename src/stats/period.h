// The reporting period: the window built from the Period keyword relative to today, its
// one-line display text for the report header, and the filter that tells whether a log
// line's time stamp falls inside the window.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "platform/local_time.h"

namespace kestrum {

class ReportPeriod {
 public:
  explicit ReportPeriod(Clock clock = SystemNow) : clock_(std::move(clock)) {}

  // Takes the Period keyword's value text "D1,H1:M1 D2,H2:M2". Answers nullptr, or the
  // message "Ошибка задания периода" and leaves the window as it was.
  const char* HandlePeriod(std::string_view value);

  // "c HH:MM:00 DD/MM/YY по HH:MM:00 DD/MM/YY\n" (CP866), or empty before any Period.
  std::string_view DisplayText() const { return display_text_; }

  // The log line filter: true when the whole log line's stamp ("DD Mon YY  HH:MM:SS")
  // lies inside the window, both ends included.
  bool Contains(std::string_view line) const {
    // The tosser writes "DD Mon YY  HH:MM:SS" at fixed places, and consecutive lines
    // mostly share their minute: a stamp whose first 16 characters equal those of the
    // last stamp read at its fixed places has that one's answer.
    if (last_plain_valid_ && line.size() >= 18 &&
        std::memcmp(line.data(), last_plain_.data(), last_plain_.size()) == 0 && line[16] == ':' && line[17] >= '0' &&
        line[17] <= '9') {
      return last_plain_inside_;
    }
    return ContainsSlowly(line);
  }

  std::int64_t start() const { return start_; }
  std::int64_t end() const { return end_; }
  bool has_window() const { return has_window_; }

  // The local date and time written by the stamp that Contains last compared with the
  // window, as CivilSeconds of its fields (from the start of its minute): after Contains
  // answered true, the line's own.
  std::int64_t last_stamp_local() const { return last_local_; }

 private:
  // A log stamp's fields that decide its calendar time (the seconds do not).
  struct StampKey {
    std::int32_t day = 0;
    std::int32_t month = 0;
    std::int32_t year = 0;
    std::int32_t hour = 0;
    std::int32_t minute = 0;
  };

  // The calendar time of a stamp's local time (its fields as CivilSeconds), or none when
  // it cannot be converted. Log lines come in time order and many share a minute, so the
  // last conversion is remembered.
  std::optional<std::int64_t> StampTime(std::int64_t local) const;
  // Whether a stamp's fields fall inside the window.
  bool StampInside(const StampKey& key) const;
  // Contains for a stamp not in the minute last read.
  bool ContainsSlowly(std::string_view line) const;

  Clock clock_;
  bool has_window_ = false;
  std::int64_t start_ = 0;
  std::int64_t end_ = 0;
  // Whether the zone's offset can be told at both ends of the window (and so anywhere
  // between them).
  bool offsets_known_at_ends_ = false;
  std::string display_text_;

  mutable bool cache_valid_ = false;
  mutable std::int64_t cached_local_ = 0;
  mutable std::optional<std::int64_t> cached_time_;
  // The first 16 characters ("DD Mon YY  HH:MM") of the last stamp read at its fixed
  // places, and its answer; only ever valid for the window in force.
  mutable bool last_plain_valid_ = false;
  mutable std::array<char, 16> last_plain_{};
  mutable bool last_plain_inside_ = false;
  // The local time of the stamp last compared with the window; a stamp answered from
  // last_plain_ is of that stamp's minute, which is the one last compared.
  mutable std::int64_t last_local_ = 0;
};

}  // namespace kestrum
