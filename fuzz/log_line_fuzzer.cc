// Fuzz target: one log line on the driver's whole road against the sscanf models: the
// stamp filter with a fixed window, the text after the stamp (from offset 20, or 25
// behind a "[xx]" tag), the area parser and then the link parser. The line must end up
// outside, an area line, a link line or another line as the models say, with the same
// figures in the sets.
#include <cstddef>
#include <cstdint>

#include "fuzz_check.h"
#include "fuzz_clock.h"
#include "scanf_reference.h"
#include "stats/area_parser.h"
#include "stats/link_parser.h"
#include "stats/period.h"

namespace kestrum::fuzzing {
namespace {

enum class Kind { kOutside, kOther, kArea, kLink };

// The text after the stamp. The driver keeps this rule to itself, so it is restated here.
std::string_view TextAfterStamp(std::string_view line) {
  const std::size_t offset = line.size() > 23 && line[20] == '[' && line[23] == ']' ? 25 : 20;
  return offset < line.size() ? line.substr(offset) : std::string_view();
}

// The window "3,00:00 0,12:00" of the pinned day, from 2 July 00:00 to 5 July 12:00.
ReportPeriod MakeFixedWindow() {
  UseMoscowTime();
  ReportPeriod period(PinnedNow);
  if (period.HandlePeriod("3,00:00 0,12:00") != nullptr) Fail("the fixed window is refused", "3,00:00 0,12:00");
  return period;
}

void Run(std::string_view raw) {
  static const ReportPeriod window = MakeFixedWindow();
  const std::string line = UpToNul(raw);

  AreaSet parsed_areas;
  LinkSet parsed_links;
  Kind got = Kind::kOutside;
  if (window.Contains(line)) {
    const std::string_view text = TextAfterStamp(line);
    got = ParseAreaLine(parsed_areas, text)   ? Kind::kArea
          : ParseLinkLine(parsed_links, text) ? Kind::kLink
                                              : Kind::kOther;
  }

  AreaSet modelled_areas;
  LinkSet modelled_links;
  Kind want = Kind::kOutside;
  if (model::StampInside(line, window.start(), window.end())) {
    const std::string text(TextAfterStamp(line));
    want = Kind::kOther;
    if (const auto area = model::AreaLine(text)) {
      modelled_areas.Accumulate(area->tag, area->imported, area->bytes, area->exported, area->dupes);
      want = Kind::kArea;
    } else if (const auto link = model::LinkLine(text)) {
      modelled_links.Accumulate(link->address, link->received, link->sent, link->requests);
      want = Kind::kLink;
    }
  }
  Check(got == want, "the line takes another road than the models say", line);
  Check(SameSets(parsed_areas, modelled_areas) && SameSets(parsed_links, modelled_links),
        "the line adds other figures than the models say", line);
}

}  // namespace
}  // namespace kestrum::fuzzing

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  kestrum::fuzzing::Run(kestrum::fuzzing::AsText(data, size));
  return 0;
}
