// The area reports, one layout each: A (live areas), D (dead areas), d (dead areas as a
// bare list), P (dupes), I (imported messages), i (imported bytes), E (exported messages).
#pragma once

#include "platform/sink.h"
#include "stats/area_set.h"

namespace kestrum {

// What the Show keywords let the area reports show; ignored areas are never shown.
struct ReportOptions {
  bool show_deleted = true;  // Show.Deleted.Area
  bool show_unknown = true;  // Show.Unknown.Area
};

// True when the letter names an area report.
bool IsAreaReportLetter(char letter);

// Writes the area report of the letter; false, writing nothing, for any other letter.
bool WriteAreaReport(char letter, const AreaSet& areas, const ReportOptions& options, Sink& out, Sink& console);

}  // namespace kestrum
