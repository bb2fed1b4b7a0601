// Tests of the box table: whole rendered tables compared byte for byte.
#include "report/box_table.h"

#include <gtest/gtest.h>
#include <utility>

#include <string>
#include <string_view>

#include "platform/cp866.h"
#include "report/expected_tables.h"

namespace kestrum {
namespace {

using expected::Border;
using expected::Lines;
using expected::Times;

// Renders the table and answers what went to the file, in UTF-8 for readable failures;
// the cut cells are echoed as the reports echo them.
std::string Render(BoxTable& table, StringSink& console) {
  StringSink out;
  WriteTable(std::move(table), out, console);
  return Cp866ToUtf8(out.text());
}

std::string Render(BoxTable& table) {
  StringSink console;
  return Render(table, console);
}

TEST(BoxTableTest, BarGraphTableWithCutCell) {
  BoxTable table({COL_LEFT | 5, COL_RIGHT});
  table.AddRow("Name\nN\n", kNoBar);
  table.AddRow("alpha\n10\n", 10.0);
  table.AddRow("verylongname\n5\n", 5.0);
  table.AddRow("Total\n15\n", kNoBar);
  StringSink console;
  EXPECT_EQ(Render(table, console), Lines(0, {
                                                 Border("╔", "╦", "╗", {5, 2, 68}),
                                                 "║Name ║ N║" + Times(" ", 68) + "║",
                                                 Border("╠", "╬", "╣", {5, 2, 68}),
                                                 "║alpha║10║" + Times("▄", 68) + "║",
                                                 "║~name║ 5║" + Times("▄", 34) + Times(" ", 34) + "║",
                                                 Border("╠", "╬", "╣", {5, 2, 68}),
                                                 "║Total║15║" + Times(" ", 68) + "║",
                                                 Border("╚", "╩", "╝", {5, 2, 68}),
                                             }));
  // The echo of the cut cell ends without a newline.
  EXPECT_EQ(console.text(), "\nverylongname\n~name");
}

TEST(BoxTableTest, RenderHandsBackTheCellsItCutInColumnOrder) {
  BoxTable table({COL_LEFT | 2, COL_LEFT | 3});
  table.AddRow("abc\nwxyz\n", 0.0);
  table.AddRow("de\nlonger\n", 0.0);
  table.AddRow("fghi\nok\n", 0.0);
  StringSink out;
  const std::vector<CutCell> cut = std::move(table).Render(out);
  ASSERT_EQ(cut.size(), 4U);
  EXPECT_EQ(cut[0].whole, "abc");
  EXPECT_EQ(cut[0].cut, "~c");
  EXPECT_EQ(cut[1].whole, "fghi");
  EXPECT_EQ(cut[1].cut, "~i");
  EXPECT_EQ(cut[2].whole, "wxyz");
  EXPECT_EQ(cut[2].cut, "~yz");
  EXPECT_EQ(cut[3].whole, "longer");
  EXPECT_EQ(cut[3].cut, "~er");
  EXPECT_NE(out.text().find("║~c║~yz║"_cp866), std::string::npos);
}

TEST(BoxTableTest, MiddleBordersByRowCount) {
  const std::string top = Border("╔", "╦", "╗", {2});
  const std::string middle = Border("╠", "╬", "╣", {2});
  const std::string bottom = Border("╚", "╩", "╝", {2});

  BoxTable none({COL_LEFT});  // T = 3
  EXPECT_EQ(Render(none), Lines(38, {"╔╗", "╚╝"}));

  BoxTable one({COL_LEFT});  // T = 5 from here on
  one.AddRow("ab\n", 0.0);
  EXPECT_EQ(Render(one), Lines(37, {top, middle, "║ab║", bottom}));

  BoxTable two({COL_LEFT});
  two.AddRow("ab\n", 0.0);
  two.AddRow("c\n", 0.0);
  EXPECT_EQ(Render(two), Lines(37, {top, "║ab║", middle, "║c ║", bottom}));

  BoxTable three({COL_LEFT});
  three.AddRow("ab\n", 0.0);
  three.AddRow("c\n", 0.0);
  three.AddRow("d\n", 0.0);
  EXPECT_EQ(Render(three), Lines(37, {top, "║ab║", middle, "║c ║", middle, "║d ║", bottom}));
}

TEST(BoxTableTest, CentringIndent) {
  // T = columns + 2 + widths; the indent is (79 - T) / 2, and never negative.
  const auto indent_of = [](std::size_t cell_width) {
    BoxTable table({COL_LEFT});
    table.AddRow(std::string(cell_width, 'x') + "\n", 0.0);
    return Render(table).find("╔");
  };
  EXPECT_EQ(indent_of(40), 18u);  // T = 43: 18 blanks, 19 on the right of 42 characters
  EXPECT_EQ(indent_of(76), 0u);   // T = 79
  EXPECT_EQ(indent_of(77), 0u);   // T = 80: -1 / 2 is 0
  EXPECT_EQ(indent_of(90), 0u);   // T = 93: too wide, drawn from the line's start
}

TEST(BoxTableTest, CellsCutOnlyWhenLongerThanTheLimit) {
  // A cell exactly at the limit stays; a column whose cells are narrower keeps its width.
  BoxTable exact({COL_LEFT | 3, COL_LEFT | 10});
  exact.AddRow("abc\nxy\n", 0.0);
  StringSink console;
  EXPECT_EQ(Render(exact, console), Lines(35, {
                                                  Border("╔", "╦", "╗", {3, 2}),
                                                  Border("╠", "╬", "╣", {3, 2}),
                                                  "║abc║xy║",
                                                  Border("╚", "╩", "╝", {3, 2}),
                                              }));
  EXPECT_EQ(console.text(), "");

  // A limit of 1 leaves only the tilde; every long cell of the column is echoed.
  BoxTable one({COL_RIGHT | 1});
  one.AddRow("xyz\n", 0.0);
  one.AddRow("q\n", 0.0);
  one.AddRow("ab\n", 0.0);
  EXPECT_EQ(Render(one, console), Lines(37, {"╔═╗", "║~║", "╠═╣", "║q║", "╠═╣", "║~║", "╚═╝"}));
  EXPECT_EQ(console.text(), "\nxyz\n~\nab\n~");
}

TEST(BoxTableTest, RowTextsAndAlignments) {
  // Extra cells are dropped, missing ones are empty, a last cell may lack its newline;
  // plain columns (no flag, or both flags) print their cells unpadded.
  BoxTable table({COL_RIGHT, 0, COL_LEFT | COL_RIGHT});
  table.AddRow("1\n22\n333\nextra\n", 0.0);
  table.AddRow("4444\n5", 0.0);
  table.AddRow("", 0.0);
  const std::string middle = Border("╠", "╬", "╣", {4, 2, 3});
  EXPECT_EQ(Render(table), Lines(32, {
                                         Border("╔", "╦", "╗", {4, 2, 3}),
                                         "║   1║22║333║",
                                         middle,
                                         "║4444║5║║",
                                         middle,
                                         "║    ║║║",
                                         Border("╚", "╩", "╝", {4, 2, 3}),
                                     }));
}

TEST(BoxTableTest, BarLengths) {
  // G = 68; bars are truncated, a value of 0 draws none, and -1.0 rows show blanks.
  BoxTable table({COL_LEFT, COL_LEFT});
  table.AddRow("abcde\nxy\n", kNoBar);
  table.AddRow("a\nb\n", 3.0);
  table.AddRow("a\nb\n", 1.0);
  table.AddRow("a\nb\n", 0.0);
  const std::string middle = Border("╠", "╬", "╣", {5, 2, 68});
  EXPECT_EQ(Render(table), Lines(0, {
                                        Border("╔", "╦", "╗", {5, 2, 68}),
                                        "║abcde║xy║" + Times(" ", 68) + "║",
                                        middle,
                                        "║a    ║b ║" + Times("▄", 68) + "║",
                                        "║a    ║b ║" + Times("▄", 22) + Times(" ", 46) + "║",
                                        middle,
                                        "║a    ║b ║" + Times(" ", 68) + "║",
                                        Border("╚", "╩", "╝", {5, 2, 68}),
                                    }));

  // Only -1.0 and 0.0 values: no bar column, the table is centred.
  BoxTable flat({COL_LEFT});
  flat.AddRow("ab\n", kNoBar);
  flat.AddRow("cd\n", 0.0);
  EXPECT_EQ(Render(flat), Lines(37, {"╔══╗", "║ab║", "╠══╣", "║cd║", "╚══╝"}));

  // Too wide for a bar column (T = 81): drawn without one, from the line's start.
  BoxTable wide({COL_LEFT, COL_RIGHT});
  wide.AddRow(std::string(70, 'n') + "\n1234567\n", 5.0);
  EXPECT_EQ(Render(wide), Lines(0, {
                                       Border("╔", "╦", "╗", {70, 7}),
                                       Border("╠", "╬", "╣", {70, 7}),
                                       "║" + std::string(70, 'n') + "║1234567║",
                                       Border("╚", "╩", "╝", {70, 7}),
                                   }));
}

TEST(BoxTableTest, CutCellsInRightAlignedColumnsAndABarColumnWithoutRoom) {
  // A right-aligned column pads its short cells on the left and draws a cut one as "~"
  // and its end at the full limit.
  BoxTable cut({COL_RIGHT | 4, COL_LEFT});
  cut.AddRow("abcdefg\nx\n", 0.0);
  cut.AddRow("xy\nlonger\n", 0.0);
  StringSink console;
  EXPECT_EQ(Render(cut, console), Lines(32, {
                                                Border("╔", "╦", "╗", {4, 6}),
                                                "║~efg║x     ║",
                                                Border("╠", "╬", "╣", {4, 6}),
                                                "║  xy║longer║",
                                                Border("╚", "╩", "╝", {4, 6}),
                                            }));
  EXPECT_EQ(console.text(), "\nabcdefg\n~efg");

  // A plain column with a limit is cut the same way, and its short cells stay unpadded.
  BoxTable plain({3});
  plain.AddRow("abcdef\n", 0.0);
  plain.AddRow("x\n", 0.0);
  StringSink plain_console;
  EXPECT_EQ(Render(plain, plain_console), Lines(36, {
                                                        Border("╔", "╦", "╗", {3}),
                                                        "║~ef║",
                                                        Border("╠", "╬", "╣", {3}),
                                                        "║x║",
                                                        Border("╚", "╩", "╝", {3}),
                                                    }));
  EXPECT_EQ(plain_console.text(), "\nabcdef\n~ef");

  // A table that fills the line (T = 79) still gets a bar column, 0 wide: bars are
  // empty, and a row without a bar shows its one blank all the same.
  BoxTable full({COL_LEFT});
  full.AddRow(std::string(76, 'h') + "\n", kNoBar);
  full.AddRow(std::string(76, 'r') + "\n", 5.0);
  EXPECT_EQ(Render(full), Lines(0, {
                                       Border("╔", "╦", "╗", {76, 0}),
                                       "║" + std::string(76, 'h') + "║ ║",
                                       Border("╠", "╬", "╣", {76, 0}),
                                       "║" + std::string(76, 'r') + "║║",
                                       Border("╚", "╩", "╝", {76, 0}),
                                   }));
}

}  // namespace
}  // namespace kestrum
