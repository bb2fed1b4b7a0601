// Fuzz target: the area-line parser against its sscanf model. Any bytes must be safe;
// a text without NUL must be accepted or declined as the model says, with the same tag
// and figures, both into an empty set and into one that already holds the area.
#include <cstddef>
#include <cstdint>

#include "fuzz_check.h"
#include "scanf_reference.h"
#include "stats/area_parser.h"

namespace kestrum::fuzzing {
namespace {

void Run(std::string_view raw) {
  AreaSet scratch;
  ParseAreaLine(scratch, raw);

  const std::string text = UpToNul(raw);
  const std::optional<model::AreaFigures> figures = model::AreaLine(text);
  AreaSet parsed;
  AreaSet modelled;
  for (int round = 0; round < 2; ++round) {
    const bool got = ParseAreaLine(parsed, text);
    Check(got == figures.has_value(),
          got ? "the parser accepts a text the model declines" : "the parser declines a text the model accepts", text);
    if (figures) {
      modelled.Accumulate(figures->tag, figures->imported, figures->bytes, figures->exported, figures->dupes);
    }
    Check(SameSets(parsed, modelled), "the parser's figures differ from the model's", text);
  }
}

}  // namespace
}  // namespace kestrum::fuzzing

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  kestrum::fuzzing::Run(kestrum::fuzzing::AsText(data, size));
  return 0;
}
