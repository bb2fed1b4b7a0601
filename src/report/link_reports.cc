#include "report/link_reports.h"

#include "platform/cp866.h"
#include "report/report_layout.h"
#include "stats/fido_address.h"

namespace kestrum {

namespace {

using Layout = ReportLayout<LinkRecord>;
using Shown = kestrum::Shown<LinkRecord>;

constexpr Figure<LinkRecord> kReceived{nullptr, &LinkRecord::bytes_received};
constexpr Figure<LinkRecord> kSent{nullptr, &LinkRecord::bytes_sent};
constexpr Figure<LinkRecord> kRequests{&LinkRecord::areafix_requests};

constexpr Shown kName{Shown::kName};
constexpr Shown kRows{Shown::kRows};
constexpr Shown kPercentSign{Shown::kPercentSign};
constexpr Shown Value(Figure<LinkRecord> figure) { return {Shown::kValue, figure}; }
constexpr Shown InKb(Figure<LinkRecord> figure) { return {Shown::kKb, figure}; }
constexpr Shown Share(Figure<LinkRecord> figure) { return {Shown::kShare, figure}; }

// Every text is a row of cells ended by '\n', the first cell under the address column.
// Headers go to the table as they stand, so " %% " shows two percent signs.
constexpr Layout kLayouts[] = {
    {.letter = 'T',
     .header = "Отправлено на:\n   kb   \n %% \n"_cp866,
     .columns = {COL_LEFT, COL_RIGHT, COL_RIGHT},
     .selection = Selection::kKeyNonZero,
     .key = kSent,
     .row = "%s\n%.1f\n%.1f\n",
     .row_args = {kName, InKb(kSent), Share(kSent)},
     .total = "Всего по %lu линкам:\n%.1f\n100%c\n"_cp866,
     .total_args = {kRows, InKb(kSent), kPercentSign},
     .graph = true},
    {.letter = 'F',
     .header = "Получено от:\n   kb   \n %% \n"_cp866,
     .columns = {COL_LEFT, COL_RIGHT, COL_RIGHT},
     .selection = Selection::kKeyNonZero,
     .key = kReceived,
     .row = "%s\n%.1f\n%.1f\n",
     .row_args = {kName, InKb(kReceived), Share(kReceived)},
     .total = "Всего по %lu линкам:\n%.1f\n100%c\n"_cp866,
     .total_args = {kRows, InKb(kReceived), kPercentSign},
     .graph = true},
    {.letter = 'X',
     .header = "Дёргали AreaFix:\nРаз\n %% \n"_cp866,
     .columns = {COL_LEFT, COL_RIGHT, COL_RIGHT},
     .selection = Selection::kKeyNonZero,
     .key = kRequests,
     .row = "%s\n%lu\n%.1f\n",
     .row_args = {kName, Value(kRequests), Share(kRequests)},
     .total = "Всего по %lu линкам:\n%lu\n100%c\n"_cp866,
     .total_args = {kRows, Value(kRequests), kPercentSign},
     .graph = true},
    {.letter = 'L',
     .header = "Живые линки:\n  From  \n   To   \n Fix \n"_cp866,
     .columns = {COL_LEFT, COL_RIGHT, COL_RIGHT, COL_RIGHT},
     .selection = Selection::kLive,
     .row = "%s\n%.1fk\n%.1fk\n%lu\n",
     .row_args = {kName, InKb(kReceived), InKb(kSent), Value(kRequests)},
     .total = "Всего по %lu линкам:\n%.1fk\n%.1fk\n%lu\n"_cp866,
     .total_args = {kRows, InKb(kReceived), InKb(kSent), Value(kRequests)}},
};

// The links as the layouts see them.
struct LinkFamily {
  using Record = LinkRecord;

  const LinkSet& records() const { return links; }
  static bool Shows(const LinkRecord& link) { return link.ignored == 0; }
  static bool IsLive(const LinkRecord& link) {
    return link.bytes_received != 0.0 || link.bytes_sent != 0.0 || link.areafix_requests != 0;
  }
  static char Flag(const LinkRecord&) { return ' '; }
  // Ascending by address as numbers.
  static bool NameBefore(const LinkRecord& a, const LinkRecord& b) { return CompareAddresses(b.name, a.name) > 0; }

  const LinkSet& links;
};

}  // namespace

bool IsLinkReportLetter(char letter) { return FindLayout(kLayouts, letter) != nullptr; }

bool WriteLinkReport(char letter, const LinkSet& links, Sink& out, Sink& console) {
  const Layout* layout = FindLayout(kLayouts, letter);
  if (layout == nullptr) return false;
  WriteLaidOutReport(*layout, LinkFamily{links}, out, console);
  return true;
}

}  // namespace kestrum
