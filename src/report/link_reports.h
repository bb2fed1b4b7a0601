// The link reports, one layout each: L (live links), F (received from), T (sent to),
// X (AreaFix requests).
#pragma once

#include "platform/sink.h"
#include "stats/link_set.h"

namespace kestrum {

// True when the letter names a link report.
bool IsLinkReportLetter(char letter);

// Writes the link report of the letter; false, writing nothing, for any other letter.
bool WriteLinkReport(char letter, const LinkSet& links, Sink& out, Sink& console);

}  // namespace kestrum
