#include "report/link_reports.h"

namespace kestrum {

void WriteLinkReport(char, const LinkSet&, Sink&, Sink&) {}

}  // namespace kestrum
