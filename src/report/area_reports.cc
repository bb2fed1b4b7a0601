#include "report/area_reports.h"

#include <string>
#include <utility>
#include <vector>

#include "platform/cp866.h"
#include "platform/format.h"
#include "report/box_table.h"
#include "report/report_common.h"
#include "stats/area_name.h"

namespace kestrum {

namespace {

// Headers, rows and totals of the area tables. Each text is a row of cells ended by
// '\n'; the first cell belongs to the flag letter column (empty in headers and totals).
// Headers go to the table as they stand, so " %% " shows two percent signs.
constexpr std::string_view kLiveHeader = "\nЖивые эхи:\n Imp \n   kb   \n Exp \n Dup \n"_cp866;
constexpr std::string_view kLiveRow = "%c\n%s\n%lu\n%.1f\n%lu\n%lu\n";
constexpr std::string_view kLiveTotal = "\nВсего по %lu эхам:\n%lu\n%.1f\n%lu\n%lu\n"_cp866;

constexpr std::string_view kDeadHeader = "\nМёртвые эхи:\n"_cp866;
constexpr std::string_view kDeadRow = "%c\n%s\n";
constexpr std::string_view kDeadTotal = "\nВсего %lu мёртвых эх\n"_cp866;

constexpr std::string_view kDupesHeader = "\nЭхи с дупами:\n Dup \n %% \n"_cp866;
constexpr std::string_view kDupesRow = "%c\n%s\n%lu\n%.1f\n";
constexpr std::string_view kDupesTotal = "\nДупов по %lu эхам:\n%lu\n100%c\n"_cp866;

constexpr std::string_view kImportedHeader = "\nИмпортировано в Эхи:\n  kb  \n Msg \n %% \n"_cp866;
constexpr std::string_view kImportedRow = "%c\n%s\n%.1f\n%lu\n%.1f\n";
constexpr std::string_view kImportedTotal = "\nВсего по %lu эхам:\n%.1f\n%lu\n100%c\n"_cp866;

constexpr std::string_view kBytesHeader = "\nИмпортировано в Эхи:\n Msg \n  kb  \n %% \n"_cp866;
constexpr std::string_view kBytesRow = "%c\n%s\n%lu\n%.1f\n%.1f\n";
constexpr std::string_view kBytesTotal = "\nВсего по %lu эхам:\n%lu\n%.1f\n100%c\n"_cp866;

constexpr std::string_view kExportedHeader = "\nЭкспортировано из эх:\n Msg \n %% \n"_cp866;
constexpr std::string_view kExportedRow = "%c\n%s\n%lu\n%.1f\n";
constexpr std::string_view kExportedTotal = "\nВсего по %lu эхам:\n%lu\n100%c\n"_cp866;

// Name column limits: longer names are cut by the table.
constexpr std::uint32_t kLiveName = COL_LEFT | 45;
constexpr std::uint32_t kDeadName = COL_LEFT | 75;
constexpr std::uint32_t kDupesName = COL_LEFT | 40;
constexpr std::uint32_t kTrafficName = COL_LEFT | 35;

using Areas = std::vector<const AreaRecord*>;

bool IsLive(const AreaRecord& area) { return area.imported != 0 || area.exported != 0 || area.dupes != 0; }

class AreaReports {
 public:
  AreaReports(const AreaSet& areas, std::int32_t show_deleted, std::int32_t show_unknown, Sink& out, Sink& console)
      : areas_(areas), show_deleted_(show_deleted), show_unknown_(show_unknown), out_(out), console_(console) {}

  void Write(char letter) const {
    switch (letter) {
      case 'A': return Live();
      case 'D': return Dead();
      case 'd': return DeadList();
      case 'P': return Dupes();
      case 'I': return Imported();
      case 'i': return ImportedBytes();
      case 'E': return Exported();
      default: return;
    }
  }

 private:
  // The shown areas for which pick holds, in set order.
  template <typename Pick>
  Areas Select(Pick pick) const {
    Areas selected;
    for (const AreaRecord& area : areas_) {
      if (AreaIsShown(area.flags, show_deleted_, show_unknown_) && pick(area)) selected.push_back(&area);
    }
    return selected;
  }

  static void SortByName(Areas& areas) {
    SortAsInserted(areas,
                   [](const AreaRecord* a, const AreaRecord* b) { return CompareAreaNames(b->name, a->name) > 0; });
  }

  // Most first; equal keys by name.
  template <typename Key>
  static void SortByKey(Areas& areas, Key key) {
    SortAsInserted(areas, [key](const AreaRecord* a, const AreaRecord* b) {
      const auto key_a = key(*a);
      const auto key_b = key(*b);
      if (key_a != key_b) return key_a > key_b;
      return CompareAreaNames(b->name, a->name) > 0;
    });
  }

  void Live() const {
    Areas areas = Select(IsLive);
    std::uint32_t imported = 0;
    std::uint32_t exported = 0;
    std::uint32_t dupes = 0;
    double bytes = 0.0;
    for (const AreaRecord* area : areas) {
      imported += area->imported;
      bytes += area->imported_bytes;
      exported += area->exported;
      dupes += area->dupes;
    }
    SortByName(areas);
    BoxTable table({COL_LEFT, kLiveName, COL_RIGHT, COL_RIGHT, COL_RIGHT, COL_RIGHT});
    table.AddRow(kLiveHeader, 0.0);
    for (const AreaRecord* area : areas) {
      table.AddRow(Format(kLiveRow, AreaFlagLetter(area->flags), area->name, area->imported, Kb(area->imported_bytes),
                          area->exported, area->dupes),
                   0.0);
    }
    table.AddRow(Format(kLiveTotal, areas.size(), imported, Kb(bytes), exported, dupes), 0.0);
    WriteTable(std::move(table), out_, console_);
  }

  Areas SelectDead() const {
    Areas areas = Select([](const AreaRecord& area) { return !IsLive(area); });
    SortByName(areas);
    return areas;
  }

  void Dead() const {
    const Areas areas = SelectDead();
    BoxTable table({COL_LEFT, kDeadName});
    table.AddRow(kDeadHeader, 0.0);
    for (const AreaRecord* area : areas) table.AddRow(Format(kDeadRow, AreaFlagLetter(area->flags), area->name), 0.0);
    table.AddRow(Format(kDeadTotal, areas.size()), 0.0);
    WriteTable(std::move(table), out_, console_);
  }

  void DeadList() const {
    std::string list = "\n";
    for (const AreaRecord* area : SelectDead()) {
      list.append(area->name);
      list.append("\n");
    }
    out_.Write(list);
  }

  void Dupes() const {
    Areas areas = Select([](const AreaRecord& area) { return area.dupes != 0; });
    std::uint32_t dupes = 0;
    for (const AreaRecord* area : areas) dupes += area->dupes;
    SortByKey(areas, [](const AreaRecord& area) { return area.dupes; });
    BoxTable table({COL_LEFT, kDupesName, COL_RIGHT, COL_RIGHT});
    table.AddRow(kDupesHeader, kNoBar);
    for (const AreaRecord* area : areas) {
      table.AddRow(Format(kDupesRow, AreaFlagLetter(area->flags), area->name, area->dupes, Percent(area->dupes, dupes)),
                   area->dupes);
    }
    table.AddRow(Format(kDupesTotal, areas.size(), dupes, '%'), kNoBar);
    WriteTable(std::move(table), out_, console_);
  }

  void Imported() const {
    Areas areas = Select([](const AreaRecord& area) { return area.imported != 0; });
    std::uint32_t imported = 0;
    double bytes = 0.0;
    for (const AreaRecord* area : areas) {
      imported += area->imported;
      bytes += area->imported_bytes;
    }
    SortByKey(areas, [](const AreaRecord& area) { return area.imported; });
    BoxTable table({COL_LEFT, kTrafficName, COL_RIGHT, COL_RIGHT, COL_RIGHT});
    table.AddRow(kImportedHeader, kNoBar);
    for (const AreaRecord* area : areas) {
      table.AddRow(Format(kImportedRow, AreaFlagLetter(area->flags), area->name, Kb(area->imported_bytes),
                          area->imported, Percent(area->imported, imported)),
                   area->imported);
    }
    table.AddRow(Format(kImportedTotal, areas.size(), Kb(bytes), imported, '%'), kNoBar);
    WriteTable(std::move(table), out_, console_);
  }

  void ImportedBytes() const {
    Areas areas = Select([](const AreaRecord& area) { return area.imported_bytes != 0.0; });
    std::uint32_t imported = 0;
    double bytes = 0.0;
    for (const AreaRecord* area : areas) {
      bytes += area->imported_bytes;
      imported += area->imported;
    }
    SortByKey(areas, [](const AreaRecord& area) { return area.imported_bytes; });
    BoxTable table({COL_LEFT, kTrafficName, COL_RIGHT, COL_RIGHT, COL_RIGHT});
    table.AddRow(kBytesHeader, kNoBar);
    for (const AreaRecord* area : areas) {
      table.AddRow(Format(kBytesRow, AreaFlagLetter(area->flags), area->name, area->imported, Kb(area->imported_bytes),
                          Percent(area->imported_bytes, bytes)),
                   area->imported_bytes);
    }
    table.AddRow(Format(kBytesTotal, areas.size(), imported, Kb(bytes), '%'), kNoBar);
    WriteTable(std::move(table), out_, console_);
  }

  void Exported() const {
    Areas areas = Select([](const AreaRecord& area) { return area.exported != 0; });
    std::uint32_t exported = 0;
    for (const AreaRecord* area : areas) exported += area->exported;
    SortByKey(areas, [](const AreaRecord& area) { return area.exported; });
    BoxTable table({COL_LEFT, kTrafficName, COL_RIGHT, COL_RIGHT});
    table.AddRow(kExportedHeader, kNoBar);
    for (const AreaRecord* area : areas) {
      table.AddRow(Format(kExportedRow, AreaFlagLetter(area->flags), area->name, area->exported,
                          Percent(area->exported, exported)),
                   area->exported);
    }
    table.AddRow(Format(kExportedTotal, areas.size(), exported, '%'), kNoBar);
    WriteTable(std::move(table), out_, console_);
  }

  const AreaSet& areas_;
  std::int32_t show_deleted_;
  std::int32_t show_unknown_;
  Sink& out_;
  Sink& console_;
};

}  // namespace

char AreaFlagLetter(std::uint32_t flags) {
  if (flags & AREA_PASSTHROUGH) return 'P';
  if (flags & AREA_DELETED) return 'D';
  if (flags & AREA_UNKNOWN) return 'U';
  return ' ';
}

bool AreaIsShown(std::uint32_t flags, std::int32_t show_deleted, std::int32_t show_unknown) {
  if (flags & AREA_IGNORED) return false;
  if ((flags & AREA_DELETED) && show_deleted == 0) return false;
  if ((flags & AREA_UNKNOWN) && show_unknown == 0) return false;
  return true;
}

void WriteAreaReport(char letter, const AreaSet& areas, std::int32_t show_deleted, std::int32_t show_unknown, Sink& out,
                     Sink& console) {
  AreaReports(areas, show_deleted, show_unknown, out, console).Write(letter);
}

}  // namespace kestrum
