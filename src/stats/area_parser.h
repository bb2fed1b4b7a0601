// The area lines of the tosser log: "TAG: toss - N (B bytes)[, dupes - D][, sent - S]",
// "TAG: sent - S" and "TAG: dupes - D", counted into the area set.
#pragma once

#include <string_view>

#include "stats/area_set.h"

namespace kestrum {

// The text of a log line after its time stamp, newline included. Answers true when it
// was an area line and its figures were added.
bool ParseAreaLine(AreaSet& areas, std::string_view text);

}  // namespace kestrum
