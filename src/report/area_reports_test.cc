// Tests of the area reports: selection, visibility, flag letters, order and whole tables.
#include "report/area_reports.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "platform/cp866.h"
#include "report/box_table.h"
#include "report/expected_tables.h"

namespace kestrum {
namespace {

using expected::Border;
using expected::Lines;
using expected::Times;

// The report's output in UTF-8, with deleted and unknown areas shown unless told otherwise.
std::string Report(char letter, const AreaSet& areas, std::int32_t show_deleted = 1, std::int32_t show_unknown = 1) {
  StringSink out;
  StringSink console;
  WriteTextReport(*LayOutAreaReport(letter, areas, ReportOptions{show_deleted != 0, show_unknown != 0}), out, console);
  return Cp866ToUtf8(out.text());
}

TEST(AreaReportsTest, DupesTable) {
  AreaSet areas;
  areas.Add("Local.Chat").dupes = 2;
  AreaRecord& news = areas.Add("Net.News");
  news.dupes = 5;
  news.flags = AREA_PASSTHROUGH;
  AreaRecord& alpha = areas.Add("Alpha.Talk");
  alpha.dupes = 2;
  alpha.flags = AREA_UNKNOWN;
  areas.Add("Quiet.Area").imported = 7;

  const std::string middle = Border("╠", "╬", "╣", {1, 16, 5, 4, 47});
  EXPECT_EQ(Report('P', areas), Lines(0, {
                                             Border("╔", "╦", "╗", {1, 16, 5, 4, 47}),
                                             "║ ║Эхи с дупами:   ║ Dup ║ %% ║" + Times(" ", 47) + "║",
                                             middle,
                                             "║P║Net.News        ║    5║55.6║" + Times("▄", 47) + "║",
                                             "║U║Alpha.Talk      ║    2║22.2║" + Times("▄", 18) + Times(" ", 29) + "║",
                                             "║ ║Local.Chat      ║    2║22.2║" + Times("▄", 18) + Times(" ", 29) + "║",
                                             middle,
                                             "║ ║Дупов по 3 эхам:║    9║100%║" + Times(" ", 47) + "║",
                                             Border("╚", "╩", "╝", {1, 16, 5, 4, 47}),
                                         }));
}

TEST(AreaReportsTest, LiveAndDeadTables) {
  AreaSet areas;
  AreaRecord& news = areas.Add("Net.News");
  news.imported = 3;
  news.imported_bytes = 2048;
  news.exported = 1;
  news.flags = AREA_PASSTHROUGH;
  areas.Add("Local.Chat").dupes = 2;
  AreaRecord& quiet = areas.Add("Quiet");  // bytes alone do not make an area live
  quiet.imported_bytes = 512;
  quiet.flags = AREA_DELETED;
  areas.Add("Silent");

  const std::string live_middle = Border("╠", "╬", "╣", {1, 16, 5, 8, 5, 5});
  EXPECT_EQ(Report('A', areas), Lines(15, {
                                              Border("╔", "╦", "╗", {1, 16, 5, 8, 5, 5}),
                                              "║ ║Живые эхи:      ║ Imp ║   kb   ║ Exp ║ Dup ║",
                                              live_middle,
                                              "║ ║Local.Chat      ║    0║     0.0║    0║    2║",
                                              "║P║Net.News        ║    3║     2.0║    1║    0║",
                                              live_middle,
                                              "║ ║Всего по 2 эхам:║    3║     2.0║    1║    2║",
                                              Border("╚", "╩", "╝", {1, 16, 5, 8, 5, 5}),
                                          }));
  const std::string dead_middle = Border("╠", "╬", "╣", {1, 18});
  EXPECT_EQ(Report('D', areas), Lines(28, {
                                              Border("╔", "╦", "╗", {1, 18}),
                                              "║ ║Мёртвые эхи:      ║",
                                              dead_middle,
                                              "║D║Quiet             ║",
                                              "║ ║Silent            ║",
                                              dead_middle,
                                              "║ ║Всего 2 мёртвых эх║",
                                              Border("╚", "╩", "╝", {1, 18}),
                                          }));
  EXPECT_EQ(Report('d', areas), "\nQuiet\nSilent\n");

  // Imported messages and imported bytes select independently.
  const std::string by_messages = Report('I', areas);
  EXPECT_NE(by_messages.find("║P║Net.News"), std::string::npos);
  EXPECT_EQ(by_messages.find("Quiet"), std::string::npos);
  const std::string by_bytes = Report('i', areas);
  EXPECT_NE(by_bytes.find("║P║Net.News            ║    3║   2.0║80.0║"), std::string::npos);
  EXPECT_NE(by_bytes.find("║D║Quiet               ║    0║   0.5║20.0║"), std::string::npos);
  EXPECT_NE(by_bytes.find("║ ║Всего по 2 эхам:    ║    3║   2.5║100%║"), std::string::npos);
}

TEST(AreaReportsTest, EmptyReportsHaveNoBarColumn) {
  AreaSet areas;
  areas.Add("Silent");
  EXPECT_EQ(Report('P', areas), Lines(24, {
                                              Border("╔", "╦", "╗", {0, 16, 5, 4}),
                                              "║║Эхи с дупами:   ║ Dup ║ %% ║",
                                              Border("╠", "╬", "╣", {0, 16, 5, 4}),
                                              "║║Дупов по 0 эхам:║    0║100%║",
                                              Border("╚", "╩", "╝", {0, 16, 5, 4}),
                                          }));
  EXPECT_NE(Report('A', areas).find("║║Всего по 0 эхам:║    0║     0.0║    0║    0║"), std::string::npos);
  EXPECT_NE(Report('E', areas).find("║║Всего по 0 эхам:     ║    0║100%║"), std::string::npos);
  EXPECT_NE(Report('I', areas).find("║║Всего по 0 эхам:    ║   0.0║    0║100%║"), std::string::npos);
  EXPECT_NE(Report('i', areas).find("║║Всего по 0 эхам:    ║    0║   0.0║100%║"), std::string::npos);
  for (char letter : std::string_view("PIiE")) EXPECT_EQ(Report(letter, areas).find("▄"), std::string::npos);
  EXPECT_EQ(Report('d', AreaSet()), "\n");
}

TEST(AreaReportsTest, ShowKeywordsHideAreas) {
  AreaSet areas;
  areas.Add("Plain");
  areas.Add("Del").flags = AREA_DELETED;
  areas.Add("Unk").flags = AREA_UNKNOWN;
  areas.Add("Both").flags = AREA_DELETED | AREA_UNKNOWN;
  areas.Add("Pass.Del").flags = AREA_PASSTHROUGH | AREA_DELETED;
  AreaRecord& ignored = areas.Add("Ign");
  ignored.flags = AREA_IGNORED;

  EXPECT_EQ(Report('d', areas, 1, 1), "\nBoth\nDel\nPass.Del\nPlain\nUnk\n");
  EXPECT_EQ(Report('d', areas, 0, 1), "\nPlain\nUnk\n");
  EXPECT_EQ(Report('d', areas, 1, 0), "\nDel\nPass.Del\nPlain\n");
  EXPECT_EQ(Report('d', areas, 0, 0), "\nPlain\n");
  const std::string dead = Report('D', areas);
  EXPECT_NE(dead.find("║D║Both "), std::string::npos);
  EXPECT_NE(dead.find("║P║Pass.Del "), std::string::npos);

  // An ignored area is listed nowhere, whatever its counters.
  ignored.imported = 4;
  ignored.exported = 4;
  ignored.dupes = 4;
  ignored.imported_bytes = 4096;
  for (char letter : std::string_view("ADdPIiE")) EXPECT_EQ(Report(letter, areas).find("Ign"), std::string::npos);
}

TEST(AreaReportsTest, OrderIgnoresAsciiCaseOnly) {
  // Folded, "AB" sorts before "A_X" ('B' < '_'); as raw bytes "A_" would come first.
  // Cyrillic letters are never folded: "Я" (0x9F) comes before "а" (0xA0).
  AreaSet areas;
  areas.Add("A_x");
  areas.Add("ab");
  areas.Add(Utf8ToCp866("а"));
  areas.Add(Utf8ToCp866("Я"));
  const std::string& underscore = areas[0].name;
  const std::string& letters = areas[1].name;
  const std::string& small_a = areas[2].name;
  const std::string& capital_ya = areas[3].name;
  EXPECT_EQ(Report('d', areas),
            Cp866ToUtf8("\n" + letters + "\n" + underscore + "\n" + capital_ya + "\n" + small_a + "\n"));

  // Equal keys follow the same order; higher keys come first.
  AreaSet counted;
  counted.Add("A_x").exported = 1;
  counted.Add("ab").exported = 1;
  counted.Add("Zz").exported = 2;
  const std::string exported = Report('E', counted);
  const std::size_t zz = exported.find("║Zz");
  const std::size_t ab = exported.find("║" + counted[1].name);
  const std::size_t ax = exported.find("║" + counted[0].name);
  EXPECT_LT(zz, ab);
  EXPECT_LT(ab, ax);
}

TEST(AreaReportsTest, LongNamesCutInTablesButNotInTheList) {
  AreaSet areas;
  const std::string name = "Very.Long.Area.Name.That.Goes.On.And.On.Well.Past.Forty";
  areas.Add(name).dupes = 1;
  StringSink out;
  StringSink console;
  WriteTextReport(*LayOutAreaReport('P', areas, ReportOptions{}), out, console);
  EXPECT_NE(out.text().find("~" + name.substr(name.size() - 39) + "\xBA"), std::string::npos);
  EXPECT_EQ(console.text(), "\n" + name + "\n~" + name.substr(name.size() - 39));

  areas.Add(name + ".Dead");
  EXPECT_EQ(Report('d', areas), "\n" + name + ".Dead\n");
}

}  // namespace
}  // namespace kestrum
