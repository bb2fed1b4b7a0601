#include "stats/area_name.h"

namespace kestrum {

void CapitalizeAreaName(std::string&) {}
int CompareAreaNames(std::string_view a, std::string_view b) { return a.compare(b); }

}  // namespace kestrum
