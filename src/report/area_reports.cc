#include "report/area_reports.h"

#include "platform/cp866.h"
#include "report/report_layout.h"
#include "stats/area_name.h"

namespace kestrum {

namespace {

constexpr Figure<AreaRecord> kImported{&AreaRecord::imported};
constexpr Figure<AreaRecord> kExported{&AreaRecord::exported};
constexpr Figure<AreaRecord> kDupes{&AreaRecord::dupes};
constexpr Figure<AreaRecord> kBytes{nullptr, &AreaRecord::imported_bytes};
constexpr Shown<AreaRecord> kFlag{Shown<AreaRecord>::kFlag};
constexpr Shown<AreaRecord> kName{Shown<AreaRecord>::kName};
constexpr Shown<AreaRecord> kRows{Shown<AreaRecord>::kRows};
constexpr Shown<AreaRecord> kPercent{Shown<AreaRecord>::kPercentSign};

constexpr Selection kByKey = Selection::kKeyNonZero;
constexpr std::uint32_t kTrafficName = COL_LEFT | 35;  // longer names are cut by the table

// Each line: letter, selection, key figure, header, columns, row and total formats with
// their arguments. Every text is a row of cells ended by '\n'; the first cell is the flag
// letter's (empty in headers and totals), but for d, whose header is the title of its
// list alone. Headers go to the table as they stand, so " %% " shows two percent signs.
// One report to a few lines, laid out by hand.
// clang-format off
constexpr ReportLayout<AreaRecord> kLayouts[] = {
    {'A', Selection::kLive, {}, "\nЖивые эхи:\n Imp \n   kb   \n Exp \n Dup \n"_cp866,
     {COL_LEFT, COL_LEFT | 45, COL_RIGHT, COL_RIGHT, COL_RIGHT, COL_RIGHT},
     {"%c\n%s\n%lu\n%.1f\n%lu\n%lu\n", {kFlag, kName, Value(kImported), InKb(kBytes), Value(kExported), Value(kDupes)}},
     {"\nВсего по %lu эхам:\n%lu\n%.1f\n%lu\n%lu\n"_cp866,
      {kRows, Value(kImported), InKb(kBytes), Value(kExported), Value(kDupes)}}},
    {'I', kByKey, kImported, "\nИмпортировано в Эхи:\n  kb  \n Msg \n %% \n"_cp866,
     {COL_LEFT, kTrafficName, COL_RIGHT, COL_RIGHT, COL_RIGHT},
     {"%c\n%s\n%.1f\n%lu\n%.1f\n", {kFlag, kName, InKb(kBytes), Value(kImported), Share(kImported)}},
     {"\nВсего по %lu эхам:\n%.1f\n%lu\n100%c\n"_cp866, {kRows, InKb(kBytes), Value(kImported), kPercent}}},
    {'E', kByKey, kExported, "\nЭкспортировано из эх:\n Msg \n %% \n"_cp866,
     {COL_LEFT, kTrafficName, COL_RIGHT, COL_RIGHT},
     {"%c\n%s\n%lu\n%.1f\n", {kFlag, kName, Value(kExported), Share(kExported)}},
     {"\nВсего по %lu эхам:\n%lu\n100%c\n"_cp866, {kRows, Value(kExported), kPercent}}},
    {'i', kByKey, kBytes, "\nИмпортировано в Эхи:\n Msg \n  kb  \n %% \n"_cp866,
     {COL_LEFT, kTrafficName, COL_RIGHT, COL_RIGHT, COL_RIGHT},
     {"%c\n%s\n%lu\n%.1f\n%.1f\n", {kFlag, kName, Value(kImported), InKb(kBytes), Share(kBytes)}},
     {"\nВсего по %lu эхам:\n%lu\n%.1f\n100%c\n"_cp866, {kRows, Value(kImported), InKb(kBytes), kPercent}}},
    {'D', Selection::kDead, {}, "\nМёртвые эхи:\n"_cp866, {COL_LEFT, COL_LEFT | 75},
     {"%c\n%s\n", {kFlag, kName}}, {"\nВсего %lu мёртвых эх\n"_cp866, {kRows}}},
    {'P', kByKey, kDupes, "\nЭхи с дупами:\n Dup \n %% \n"_cp866, {COL_LEFT, COL_LEFT | 40, COL_RIGHT, COL_RIGHT},
     {"%c\n%s\n%lu\n%.1f\n", {kFlag, kName, Value(kDupes), Share(kDupes)}},
     {"\nДупов по %lu эхам:\n%lu\n100%c\n"_cp866, {kRows, Value(kDupes), kPercent}}},
    {'d', Selection::kDead, {}, "Мёртвые эхи:\n"_cp866, {}, {}, {}, true},
};
// clang-format on

// The areas as the layouts see them.
struct AreaFamily {
  using Record = AreaRecord;

  const AreaSet& records() const { return areas; }

  // Ignored areas are never shown; deleted and unknown areas unless their Show keyword is No.
  bool Shows(const AreaRecord& area) const {
    return (area.flags & HiddenAreaFlags(options.show_deleted, options.show_unknown)) == 0;
  }
  // Bytes alone do not make an area live.
  static bool IsLive(const AreaRecord& area) { return area.imported != 0 || area.exported != 0 || area.dupes != 0; }
  // P(assthrough), D(eleted), U(nknown) or blank.
  static char Flag(const AreaRecord& area) {
    if (area.flags & AREA_PASSTHROUGH) return 'P';
    if (area.flags & AREA_DELETED) return 'D';
    if (area.flags & AREA_UNKNOWN) return 'U';
    return ' ';
  }
  static bool NameBefore(const AreaRecord& a, const AreaRecord& b) { return CompareAreaNames(b.name, a.name) > 0; }

  const AreaSet& areas;
  ReportOptions options;
};

}  // namespace

bool IsAreaReportLetter(char letter) { return FindLayout(kLayouts, letter) != nullptr; }

std::optional<LaidOutTable> LayOutAreaReport(char letter, const AreaSet& areas, const ReportOptions& options) {
  const auto* layout = FindLayout(kLayouts, letter);
  if (layout == nullptr) return std::nullopt;
  return LayOutReport(*layout, AreaFamily{areas, options});
}

}  // namespace kestrum
