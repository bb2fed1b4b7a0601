// The link reports, one layout each: L (live links), F (received from), T (sent to),
// X (AreaFix requests).
#pragma once

#include <optional>

#include "report/laid_out_table.h"
#include "stats/link_set.h"

namespace kestrum {

// True when the letter names a link report.
bool IsLinkReportLetter(char letter);

// The link report of the letter, laid out; none for any other letter.
std::optional<LaidOutTable> LayOutLinkReport(char letter, const LinkSet& links);

}  // namespace kestrum
