// Fuzz target: the reporting period against its sscanf models. The input is read both
// as a log line, whose stamp the filter must find inside or outside a fixed window as
// the model does (the same filter answers every input, so its memory of the last stamp
// is exercised too), and as a Period value, which a fresh period must accept or refuse
// as the model does, with the same window and display text.
#include <cstddef>
#include <cstdint>

#include "fuzz_check.h"
#include "fuzz_clock.h"
#include "scanf_reference.h"
#include "stats/period.h"

namespace kestrum::fuzzing {
namespace {

// The window "3,00:00 0,12:00" of the pinned day, from 2 July 00:00 to 5 July 12:00.
ReportPeriod MakeFixedWindow() {
  UseMoscowTime();
  ReportPeriod period(PinnedNow);
  if (period.HandlePeriod("3,00:00 0,12:00") != nullptr) Fail("the fixed window is refused", "3,00:00 0,12:00");
  return period;
}

void Run(std::string_view raw) {
  static const ReportPeriod window = MakeFixedWindow();
  window.Contains(raw);  // any bytes must be safe

  const std::string text = UpToNul(raw);
  Check(window.Contains(text) == model::StampInside(text, window.start(), window.end()),
        "the filter and the model disagree on a stamp", text);

  ReportPeriod period(PinnedNow);
  const bool accepted = period.HandlePeriod(text) == nullptr;
  const std::optional<model::Window> want = model::PeriodWindow(text, PinnedNow());
  Check(accepted == want.has_value(),
        accepted ? "a Period value is accepted that the model refuses"
                 : "a Period value is refused that the model accepts",
        text);
  const model::Window expected = want ? *want : model::Window{};
  Check(period.start() == expected.start && period.end() == expected.end && period.DisplayText() == expected.display,
        "a Period value gives another window than the model's", text);
}

}  // namespace
}  // namespace kestrum::fuzzing

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  kestrum::fuzzing::Run(kestrum::fuzzing::AsText(data, size));
  return 0;
}
