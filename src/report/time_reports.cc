#include "report/time_reports.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/cp866.h"
#include "platform/format.h"
#include "platform/local_time.h"
#include "report/report_layout.h"

namespace kestrum {

namespace {

// One row of a report of days or hours: its label and what the shown areas' lines of
// that day or hour added up to.
struct TimeRow {
  std::string name;
  std::uint32_t imported = 0;
  std::uint32_t exported = 0;
  std::uint32_t dupes = 0;
  double imported_bytes = 0.0;
};

constexpr Figure<TimeRow> kImported{&TimeRow::imported};
constexpr Figure<TimeRow> kExported{&TimeRow::exported};
constexpr Figure<TimeRow> kDupes{&TimeRow::dupes};
constexpr Figure<TimeRow> kBytes{nullptr, &TimeRow::imported_bytes};
constexpr Shown<TimeRow> kName{Shown<TimeRow>::kName};
constexpr Shown<TimeRow> kRows{Shown<TimeRow>::kRows};
constexpr Shown<TimeRow> kPercent{Shown<TimeRow>::kPercentSign};

// Each line: letter, selection, key figure, header, columns, row and total formats with
// their arguments. Every row is listed in time order, the bars drawn by the imported
// messages; the first cell is the day's or hour's. Headers go to the table as they
// stand, so " %% " shows two percent signs.
// One report to a few lines, laid out by hand.
// clang-format off
constexpr ReportLayout<TimeRow> kLayouts[] = {
    {'C', Selection::kAll, kImported, "По дням:\n Imp \n   kb   \n Exp \n Dup \n"_cp866,
     {COL_LEFT, COL_RIGHT, COL_RIGHT, COL_RIGHT, COL_RIGHT},
     {"%s\n%lu\n%.1f\n%lu\n%lu\n", {kName, Value(kImported), InKb(kBytes), Value(kExported), Value(kDupes)}},
     {"Всего дней: %lu\n%lu\n%.1f\n%lu\n%lu\n"_cp866,
      {kRows, Value(kImported), InKb(kBytes), Value(kExported), Value(kDupes)}}},
    {'H', Selection::kAll, kImported, "По часам:\n Imp \n   kb   \n %% \n"_cp866,
     {COL_LEFT, COL_RIGHT, COL_RIGHT, COL_RIGHT},
     {"%s\n%lu\n%.1f\n%.1f\n", {kName, Value(kImported), InKb(kBytes), Share(kImported)}},
     {"Всего:\n%lu\n%.1f\n100%c\n"_cp866, {Value(kImported), InKb(kBytes), kPercent}}},
};
// clang-format on

// Weekday abbreviations from Sunday, as the dates' weekdays are counted.
constexpr std::array<std::string_view, 7> kWeekdays = {"Вс"_cp866, "Пн"_cp866, "Вт"_cp866, "Ср"_cp866,
                                                       "Чт"_cp866, "Пт"_cp866, "Сб"_cp866};
constexpr std::string_view kUpTo = "до"_cp866;

// The rows as the layouts see them, in time order.
struct TimeFamily {
  using Record = TimeRow;

  const std::vector<TimeRow>& records() const { return rows; }
  static bool Shows(const TimeRow&) { return true; }
  static bool IsLive(const TimeRow&) { return true; }
  static char Flag(const TimeRow&) { return ' '; }
  static bool NameBefore(const TimeRow&, const TimeRow&) { return false; }

  const std::vector<TimeRow>& rows;
};

TimeRow RowOf(std::string name, const TrafficFigures& figures) {
  return TimeRow{std::move(name), figures.imported, figures.exported, figures.dupes, figures.imported_bytes};
}

// A day's row is labelled with its weekday and its date as the period header writes
// dates; a first row that also holds the days before it, with "до" (up to) instead.
std::vector<TimeRow> DayRows(const TimeFigures* times) {
  std::vector<TimeRow> rows;
  if (times == nullptr) return rows;
  for (const TimeFigures::DayRow& row : times->DayRows()) {
    const CivilDate date = DateOfDay(row.day);
    const std::string_view first = row.with_days_before ? kUpTo : kWeekdays[static_cast<std::size_t>(date.weekday)];
    rows.push_back(RowOf(Format("%s %2i/%02i/%02i", first, date.day, date.month, date.year - 2000), row.figures));
  }
  return rows;
}

std::vector<TimeRow> HourRows(const TimeFigures* times) {
  std::vector<TimeRow> rows;
  for (std::size_t hour = 0; hour < 24; ++hour) {
    rows.push_back(
        RowOf(Format("%02i:00", static_cast<int>(hour)), times != nullptr ? times->hours()[hour] : TrafficFigures{}));
  }
  return rows;
}

}  // namespace

bool IsTimeReportLetter(char letter) { return FindLayout(kLayouts, letter) != nullptr; }

std::optional<LaidOutTable> LayOutTimeReport(char letter, const TimeFigures* times) {
  const auto* layout = FindLayout(kLayouts, letter);
  if (layout == nullptr) return std::nullopt;
  const std::vector<TimeRow> rows = letter == 'C' ? DayRows(times) : HourRows(times);
  return LayOutReport(*layout, TimeFamily{rows});
}

}  // namespace kestrum
