#include "report/area_reports.h"

#include "platform/cp866.h"
#include "report/report_layout.h"
#include "stats/area_name.h"

namespace kestrum {

namespace {

using Layout = ReportLayout<AreaRecord>;
using Shown = kestrum::Shown<AreaRecord>;

constexpr Figure<AreaRecord> kImported{&AreaRecord::imported};
constexpr Figure<AreaRecord> kExported{&AreaRecord::exported};
constexpr Figure<AreaRecord> kDupes{&AreaRecord::dupes};
constexpr Figure<AreaRecord> kBytes{nullptr, &AreaRecord::imported_bytes};

constexpr Shown kFlag{Shown::kFlag};
constexpr Shown kName{Shown::kName};
constexpr Shown kRows{Shown::kRows};
constexpr Shown kPercentSign{Shown::kPercentSign};
constexpr Shown Value(Figure<AreaRecord> figure) { return {Shown::kValue, figure}; }
constexpr Shown InKb(Figure<AreaRecord> figure) { return {Shown::kKb, figure}; }
constexpr Shown Share(Figure<AreaRecord> figure) { return {Shown::kShare, figure}; }

// Every text is a row of cells ended by '\n'; the first cell is the flag letter's
// (empty in headers and totals). Headers go to the table as they stand, so " %% "
// shows two percent signs. Longer names than a column's limit are cut by the table.
constexpr Layout kLayouts[] = {
    {.letter = 'A',
     .header = "\nЖивые эхи:\n Imp \n   kb   \n Exp \n Dup \n"_cp866,
     .columns = {COL_LEFT, COL_LEFT | 45, COL_RIGHT, COL_RIGHT, COL_RIGHT, COL_RIGHT},
     .selection = Selection::kLive,
     .row = "%c\n%s\n%lu\n%.1f\n%lu\n%lu\n",
     .row_args = {kFlag, kName, Value(kImported), InKb(kBytes), Value(kExported), Value(kDupes)},
     .total = "\nВсего по %lu эхам:\n%lu\n%.1f\n%lu\n%lu\n"_cp866,
     .total_args = {kRows, Value(kImported), InKb(kBytes), Value(kExported), Value(kDupes)}},
    {.letter = 'I',
     .header = "\nИмпортировано в Эхи:\n  kb  \n Msg \n %% \n"_cp866,
     .columns = {COL_LEFT, COL_LEFT | 35, COL_RIGHT, COL_RIGHT, COL_RIGHT},
     .selection = Selection::kKeyNonZero,
     .key = kImported,
     .row = "%c\n%s\n%.1f\n%lu\n%.1f\n",
     .row_args = {kFlag, kName, InKb(kBytes), Value(kImported), Share(kImported)},
     .total = "\nВсего по %lu эхам:\n%.1f\n%lu\n100%c\n"_cp866,
     .total_args = {kRows, InKb(kBytes), Value(kImported), kPercentSign},
     .graph = true},
    {.letter = 'i',
     .header = "\nИмпортировано в Эхи:\n Msg \n  kb  \n %% \n"_cp866,
     .columns = {COL_LEFT, COL_LEFT | 35, COL_RIGHT, COL_RIGHT, COL_RIGHT},
     .selection = Selection::kKeyNonZero,
     .key = kBytes,
     .row = "%c\n%s\n%lu\n%.1f\n%.1f\n",
     .row_args = {kFlag, kName, Value(kImported), InKb(kBytes), Share(kBytes)},
     .total = "\nВсего по %lu эхам:\n%lu\n%.1f\n100%c\n"_cp866,
     .total_args = {kRows, Value(kImported), InKb(kBytes), kPercentSign},
     .graph = true},
    {.letter = 'E',
     .header = "\nЭкспортировано из эх:\n Msg \n %% \n"_cp866,
     .columns = {COL_LEFT, COL_LEFT | 35, COL_RIGHT, COL_RIGHT},
     .selection = Selection::kKeyNonZero,
     .key = kExported,
     .row = "%c\n%s\n%lu\n%.1f\n",
     .row_args = {kFlag, kName, Value(kExported), Share(kExported)},
     .total = "\nВсего по %lu эхам:\n%lu\n100%c\n"_cp866,
     .total_args = {kRows, Value(kExported), kPercentSign},
     .graph = true},
    {.letter = 'D',
     .header = "\nМёртвые эхи:\n"_cp866,
     .columns = {COL_LEFT, COL_LEFT | 75},
     .selection = Selection::kDead,
     .row = "%c\n%s\n",
     .row_args = {kFlag, kName},
     .total = "\nВсего %lu мёртвых эх\n"_cp866,
     .total_args = {kRows}},
    {.letter = 'd', .selection = Selection::kDead, .bare_list = true},
    {.letter = 'P',
     .header = "\nЭхи с дупами:\n Dup \n %% \n"_cp866,
     .columns = {COL_LEFT, COL_LEFT | 40, COL_RIGHT, COL_RIGHT},
     .selection = Selection::kKeyNonZero,
     .key = kDupes,
     .row = "%c\n%s\n%lu\n%.1f\n",
     .row_args = {kFlag, kName, Value(kDupes), Share(kDupes)},
     .total = "\nДупов по %lu эхам:\n%lu\n100%c\n"_cp866,
     .total_args = {kRows, Value(kDupes), kPercentSign},
     .graph = true},
};

// The areas as the layouts see them.
struct AreaFamily {
  using Record = AreaRecord;

  const AreaSet& records() const { return areas; }

  // Ignored areas are never shown; deleted and unknown areas unless their Show keyword is No.
  bool Shows(const AreaRecord& area) const {
    if (area.flags & AREA_IGNORED) return false;
    if ((area.flags & AREA_DELETED) && !options.show_deleted) return false;
    if ((area.flags & AREA_UNKNOWN) && !options.show_unknown) return false;
    return true;
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

bool WriteAreaReport(char letter, const AreaSet& areas, const ReportOptions& options, Sink& out, Sink& console) {
  const Layout* layout = FindLayout(kLayouts, letter);
  if (layout == nullptr) return false;
  WriteLaidOutReport(*layout, AreaFamily{areas, options}, out, console);
  return true;
}

}  // namespace kestrum
