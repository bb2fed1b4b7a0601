// The reports of when the mail came, one layout each: C (the days of the period) and H
// (the hours of the day), both of the areas that the area reports show.
#pragma once

#include <string_view>

#include "platform/sink.h"
#include "stats/time_figures.h"

namespace kestrum {

// The letters of the reports of days and hours.
inline constexpr std::string_view kTimeReportLetters = "CH";

// True when the letter names a report of days or hours.
bool IsTimeReportLetter(char letter);

// Writes the report of the letter from the day and hour figures (none: every figure
// zero, no day); false, writing nothing, for any other letter.
bool WriteTimeReport(char letter, const TimeFigures* times, Sink& out, Sink& console);

}  // namespace kestrum
