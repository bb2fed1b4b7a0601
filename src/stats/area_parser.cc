#include "stats/area_parser.h"

namespace kestrum {

bool ParseAreaLine(AreaSet&, std::string_view) { return false; }

}  // namespace kestrum
