// The order of FidoNet addresses zone:net/node.point: numeric, part by part.
#pragma once

#include <string_view>

namespace kestrum {

// Negative when a comes before b, zero when equal in the order, positive after. Each part
// is read as %i reads it (a leading 0 means octal). A part that is missing (1:2/3 has no
// point) compares as 0, so 1:2/3 and 1:2/3.0 are equal in the order.
int CompareAddresses(std::string_view a, std::string_view b);

}  // namespace kestrum
