// Fuzz target: the area keywords of the configuration (EchoArea, NetArea / Ignore.Area,
// DeletedArea) against their sscanf models. The input is one value text; each handler
// runs on a fresh set, then all three in a row on one set, and every set must hold what
// the models give.
#include <cstddef>
#include <cstdint>

#include "fuzz_check.h"
#include "scanf_reference.h"
#include "stats/area_set.h"

namespace kestrum::fuzzing {
namespace {

using Handler = const char* (*)(AreaSet&, std::string_view);
using Model = void (*)(AreaSet&, const std::string&);

void Run(std::string_view raw) {
  static constexpr Handler kHandlers[] = {HandleEchoArea, HandleIgnoreArea, HandleDeletedArea};
  static constexpr Model kModels[] = {model::EchoArea, model::IgnoreArea, model::DeletedArea};

  AreaSet scratch;
  for (const Handler handler : kHandlers) handler(scratch, raw);

  const std::string value = UpToNul(raw);
  AreaSet parsed_all;
  AreaSet modelled_all;
  for (std::size_t i = 0; i < 3; ++i) {
    AreaSet parsed;
    AreaSet modelled;
    Check(kHandlers[i](parsed, value) == nullptr, "an area handler refuses a value", value);
    kModels[i](modelled, value);
    Check(SameSets(parsed, modelled), "an area handler differs from its model on a fresh set", value);
    kHandlers[i](parsed_all, value);
    kModels[i](modelled_all, value);
    Check(SameSets(parsed_all, modelled_all), "an area handler differs from its model on a used set", value);
  }
}

}  // namespace
}  // namespace kestrum::fuzzing

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  kestrum::fuzzing::Run(kestrum::fuzzing::AsText(data, size));
  return 0;
}
