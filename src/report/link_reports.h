// The link reports: L (live links), F (received from), T (sent to), X (AreaFix requests).
#pragma once

#include "platform/sink.h"
#include "stats/link_set.h"

namespace kestrum {

// Writes the report of one of the letters L, F, T, X.
void WriteLinkReport(char letter, const LinkSet& links, Sink& out, Sink& console);

}  // namespace kestrum
