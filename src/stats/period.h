// The reporting period: the window built from the Period keyword relative to today, its
// one-line display text for the report header, and the filter that tells whether a log
// line's time stamp falls inside the window.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "config/keyword_table.h"
#include "platform/local_time.h"

namespace kestrum {

class ReportPeriod {
 public:
  explicit ReportPeriod(Clock clock = SystemNow) : clock_(std::move(clock)) {}

  // The Period keyword's handler: value "D1,H1:M1 D2,H2:M2". Answers nullptr, or the
  // message "Ошибка задания периода" and leaves the window as it was.
  const char* HandlePeriod(KeywordEntry& entry);

  // "c HH:MM:00 DD/MM/YY по HH:MM:00 DD/MM/YY\n" (CP866), or empty before any Period.
  std::string_view DisplayText() const { return display_text_; }

  // The log line filter: true when the whole log line's stamp ("DD Mon YY  HH:MM:SS")
  // lies inside the window, both ends included.
  bool Contains(std::string_view line) const;

  std::int64_t start() const { return start_; }
  std::int64_t end() const { return end_; }
  const LocalFields& start_fields() const { return start_fields_; }
  const LocalFields& end_fields() const { return end_fields_; }

 private:
  Clock clock_;
  std::int64_t start_ = 0;
  std::int64_t end_ = 0;
  LocalFields start_fields_;
  LocalFields end_fields_;
  std::string display_text_;
};

}  // namespace kestrum
