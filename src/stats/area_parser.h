// The area lines of the tosser log: "TAG: toss - N (B bytes)[, dupes - D][, sent - S]",
// "TAG: sent - S" and "TAG: dupes - D", counted into the area set.
#pragma once

#include <cstddef>
#include <string_view>

#include "platform/byte_search.h"
#include "stats/area_set.h"

namespace kestrum {

// What an area line added, and to which area.
struct AreaLine {
  const AreaRecord* area = nullptr;
  TrafficFigures figures;
};

// The forms after "TAG:", the colon at tag_length (a text that ends there is none).
bool ParseAreaLineAfterTag(AreaSet& areas, std::string_view text, std::size_t tag_length, AreaLine* line);

// The text of a log line after its time stamp, newline included. Answers true when it
// was an area line and its figures were added, which *line (unless null) then tells.
// Inline: every line inside the period comes here, and most are declined at once.
inline bool ParseAreaLine(AreaSet& areas, std::string_view text, AreaLine* line) {
  // Every form starts with the tag at the very first character, and a colon right after
  // it. A tag is never longer than kMaxAreaTag: the search for its end need go no further.
  const std::size_t tag_length = FindTagEnd(text.substr(0, kMaxAreaTag + 1));
  if (tag_length == 0 || tag_length > kMaxAreaTag || tag_length >= text.size() || text[tag_length] != ':') {
    return false;
  }
  return ParseAreaLineAfterTag(areas, text, tag_length, line);
}

inline bool ParseAreaLine(AreaSet& areas, std::string_view text) { return ParseAreaLine(areas, text, nullptr); }

}  // namespace kestrum
