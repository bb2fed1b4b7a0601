// Fuzz target: the link-line parser against its sscanf model. Any bytes must be safe; a
// text without NUL must be accepted or declined as the model says, with the same
// address and figures, both into an empty set and into one that holds the link.
#include <cstddef>
#include <cstdint>

#include "fuzz_check.h"
#include "scanf_reference.h"
#include "stats/link_parser.h"

namespace kestrum::fuzzing {
namespace {

void Run(std::string_view raw) {
  LinkSet scratch;
  ParseLinkLine(scratch, raw);

  const std::string text = UpToNul(raw);
  const std::optional<model::LinkFigures> figures = model::LinkLine(text);
  LinkSet parsed;
  LinkSet modelled;
  for (int round = 0; round < 2; ++round) {
    const bool got = ParseLinkLine(parsed, text);
    Check(got == figures.has_value(),
          got ? "the parser accepts a text the model declines" : "the parser declines a text the model accepts", text);
    if (figures) modelled.Accumulate(figures->address, figures->received, figures->sent, figures->requests);
    Check(SameSets(parsed, modelled), "the parser's figures differ from the model's", text);
  }
}

}  // namespace
}  // namespace kestrum::fuzzing

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  kestrum::fuzzing::Run(kestrum::fuzzing::AsText(data, size));
  return 0;
}
