#include "stats/period.h"

namespace kestrum {

const char* ReportPeriod::HandlePeriod(KeywordEntry&) { return nullptr; }  // stand-in
bool ReportPeriod::Contains(std::string_view) const { return false; }      // stand-in

}  // namespace kestrum
