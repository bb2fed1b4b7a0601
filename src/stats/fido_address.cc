#include "stats/fido_address.h"

#include <array>
#include <cstdint>

#include "stats/scan.h"

namespace kestrum {

namespace {

// zone, net, node, point as "%i:%i/%i.%i" reads them; the reading stops at the first part
// that does not match, and the parts not read stay 0.
std::array<std::int32_t, 4> AddressParts(std::string_view address) {
  std::array<std::int32_t, 4> parts{};
  Scanner scan(address);
  if (!scan.Integer(&parts[0]) || !scan.Char(':')) return parts;
  if (!scan.Integer(&parts[1]) || !scan.Char('/')) return parts;
  if (!scan.Integer(&parts[2]) || !scan.Char('.')) return parts;
  scan.Integer(&parts[3]);
  return parts;
}

}  // namespace

int CompareAddresses(std::string_view a, std::string_view b) {
  const auto x = AddressParts(a);
  const auto y = AddressParts(b);
  for (std::size_t i = 0; i < x.size(); ++i) {
    // Compared, not subtracted: the difference of two 32-bit parts may not fit.
    if (x[i] != y[i]) return x[i] < y[i] ? -1 : 1;
  }
  return 0;
}

}  // namespace kestrum
