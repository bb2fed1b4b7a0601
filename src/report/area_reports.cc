#include "report/area_reports.h"

namespace kestrum {

char AreaFlagLetter(std::uint32_t) { return ' '; }
bool AreaIsShown(std::uint32_t, std::int32_t, std::int32_t) { return true; }
void WriteAreaReport(char, const AreaSet&, std::int32_t, std::int32_t, Sink&, Sink&) {}

}  // namespace kestrum
