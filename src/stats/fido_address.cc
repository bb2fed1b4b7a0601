#include "stats/fido_address.h"

namespace kestrum {

int CompareAddresses(std::string_view a, std::string_view b) { return a.compare(b); }

}  // namespace kestrum
