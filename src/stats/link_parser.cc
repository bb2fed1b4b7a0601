#include "stats/link_parser.h"

namespace kestrum {

bool ParseLinkLine(LinkSet&, std::string_view) { return false; }

}  // namespace kestrum
