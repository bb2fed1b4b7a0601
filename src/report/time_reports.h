// The reports of when the mail came, one layout each: C (the days of the period) and H
// (the hours of the day), both of the areas that the area reports show.
#pragma once

#include <optional>
#include <string_view>

#include "report/laid_out_table.h"
#include "stats/time_figures.h"

namespace kestrum {

// The letters of the reports of days and hours.
inline constexpr std::string_view kTimeReportLetters = "CH";

// True when the letter names a report of days or hours.
bool IsTimeReportLetter(char letter);

// The report of the letter from the day and hour figures (none: every figure zero, no
// day), laid out; none for any other letter.
std::optional<LaidOutTable> LayOutTimeReport(char letter, const TimeFigures* times);

}  // namespace kestrum
