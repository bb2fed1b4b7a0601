#include "report/link_reports.h"

#include "platform/cp866.h"
#include "report/report_layout.h"
#include "stats/fido_address.h"

namespace kestrum {

namespace {

constexpr Figure<LinkRecord> kReceived{nullptr, &LinkRecord::bytes_received};
constexpr Figure<LinkRecord> kSent{nullptr, &LinkRecord::bytes_sent};
constexpr Figure<LinkRecord> kRequests{&LinkRecord::areafix_requests};
constexpr Shown<LinkRecord> kName{Shown<LinkRecord>::kName};
constexpr Shown<LinkRecord> kRows{Shown<LinkRecord>::kRows};
constexpr Shown<LinkRecord> kPercent{Shown<LinkRecord>::kPercentSign};
constexpr Selection kByKey = Selection::kKeyNonZero;

// Each line: letter, selection, key figure, header, columns, row and total formats with
// their arguments. Every text is a row of cells ended by '\n', the first cell under the
// address column. Headers go to the table as they stand, so " %% " shows two percent signs.
// One report to a few lines, laid out by hand.
// clang-format off
constexpr ReportLayout<LinkRecord> kLayouts[] = {
    {'T', kByKey, kSent, "Отправлено на:\n   kb   \n %% \n"_cp866, {COL_LEFT, COL_RIGHT, COL_RIGHT},
     {"%s\n%.1f\n%.1f\n", {kName, InKb(kSent), Share(kSent)}},
     {"Всего по %lu линкам:\n%.1f\n100%c\n"_cp866, {kRows, InKb(kSent), kPercent}}},
    {'L', Selection::kLive, {}, "Живые линки:\n  From  \n   To   \n Fix \n"_cp866,
     {COL_LEFT, COL_RIGHT, COL_RIGHT, COL_RIGHT},
     {"%s\n%.1fk\n%.1fk\n%lu\n", {kName, InKb(kReceived), InKb(kSent), Value(kRequests)}},
     {"Всего по %lu линкам:\n%.1fk\n%.1fk\n%lu\n"_cp866, {kRows, InKb(kReceived), InKb(kSent), Value(kRequests)}}},
    {'F', kByKey, kReceived, "Получено от:\n   kb   \n %% \n"_cp866, {COL_LEFT, COL_RIGHT, COL_RIGHT},
     {"%s\n%.1f\n%.1f\n", {kName, InKb(kReceived), Share(kReceived)}},
     {"Всего по %lu линкам:\n%.1f\n100%c\n"_cp866, {kRows, InKb(kReceived), kPercent}}},
    {'X', kByKey, kRequests, "Дёргали AreaFix:\nРаз\n %% \n"_cp866, {COL_LEFT, COL_RIGHT, COL_RIGHT},
     {"%s\n%lu\n%.1f\n", {kName, Value(kRequests), Share(kRequests)}},
     {"Всего по %lu линкам:\n%lu\n100%c\n"_cp866, {kRows, Value(kRequests), kPercent}}},
};
// clang-format on

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

std::optional<LaidOutTable> LayOutLinkReport(char letter, const LinkSet& links) {
  const auto* layout = FindLayout(kLayouts, letter);
  if (layout == nullptr) return std::nullopt;
  return LayOutReport(*layout, LinkFamily{links});
}

}  // namespace kestrum
