// The link lines of the tosser log: inbound packets ("[Inbound] XXXXXXXX.PKT (N bytes)
// from ADDR"), "Sent to ADDR - N" and "Real message from ADDR", counted into the link set.
#pragma once

#include <string_view>

#include "stats/link_set.h"

namespace kestrum {

// ParseLinkLine past its first test: for a text that begins with '[', 'S' or 'R' (any
// other text is declined all the same).
bool ParseLinkLineFromWord(LinkSet& links, std::string_view text);

// The text of a log line after its time stamp. Answers true when it was a link line
// and its figures were added. Each form begins with a word of its own at the very first
// character: "[Inbound]", "Sent" or "Real". Inline, as most other lines are declined by
// that first character.
inline bool ParseLinkLine(LinkSet& links, std::string_view text) {
  if (text.empty() || (text[0] != '[' && text[0] != 'S' && text[0] != 'R')) return false;
  return ParseLinkLineFromWord(links, text);
}

}  // namespace kestrum
