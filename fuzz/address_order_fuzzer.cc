// Fuzz target: the FidoNet address order against its sscanf model. The input holds two
// address texts separated by its first newline (the second is empty without one). The
// order must have the model's sign both ways round, and a text must equal itself.
#include <cstddef>
#include <cstdint>

#include "fuzz_check.h"
#include "scanf_reference.h"
#include "stats/fido_address.h"

namespace kestrum::fuzzing {
namespace {

int Sign(int value) { return (value > 0) - (value < 0); }

void Run(std::string_view raw) {
  const std::size_t cut = raw.find('\n');
  const std::string_view a = raw.substr(0, cut);
  const std::string_view b = cut == std::string_view::npos ? std::string_view() : raw.substr(cut + 1);
  CompareAddresses(a, b);  // any bytes, NULs among them, must be safe

  const std::string x = UpToNul(a);
  const std::string y = UpToNul(b);
  const int order = Sign(CompareAddresses(x, y));
  Check(order == model::AddressOrder(x, y), "the address order differs from the model's", raw);
  Check(Sign(CompareAddresses(y, x)) == -order, "the address order is not antisymmetric", raw);
  Check(CompareAddresses(x, x) == 0, "an address does not equal itself", raw);
}

}  // namespace
}  // namespace kestrum::fuzzing

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  kestrum::fuzzing::Run(kestrum::fuzzing::AsText(data, size));
  return 0;
}
