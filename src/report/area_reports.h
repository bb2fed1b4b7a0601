// The area reports, one layout each: A (live areas), D (dead areas), d (dead areas as a
// bare list), P (dupes), I (imported messages), i (imported bytes), E (exported messages).
#pragma once

#include <optional>

#include "report/laid_out_table.h"
#include "stats/area_set.h"

namespace kestrum {

// What the Show keywords let the area reports show; ignored areas are never shown.
struct ReportOptions {
  bool show_deleted = true;  // Show.Deleted.Area
  bool show_unknown = true;  // Show.Unknown.Area
};

// True when the letter names an area report.
bool IsAreaReportLetter(char letter);

// The area report of the letter, laid out; none for any other letter.
std::optional<LaidOutTable> LayOutAreaReport(char letter, const AreaSet& areas, const ReportOptions& options);

}  // namespace kestrum
