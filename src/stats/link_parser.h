// The link lines of the tosser log: inbound packets ("[Inbound] XXXXXXXX.PKT (N bytes)
// from ADDR"), "Sent to ADDR - N" and "Real message from ADDR", counted into the link set.
#pragma once

#include <string_view>

#include "stats/link_set.h"

namespace kestrum {

// The text of a log line after its time stamp. Answers true when it was a link line
// and its figures were added.
bool ParseLinkLine(LinkSet& links, std::string_view text);

}  // namespace kestrum
