// Tests of the link reports: selection, numeric address order and whole tables.
#include "report/link_reports.h"

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

std::string Report(char letter, const LinkSet& links) {
  StringSink out;
  StringSink console;
  WriteTextReport(*LayOutLinkReport(letter, links), out, console);
  EXPECT_EQ(console.text(), "");  // link columns are never cut
  return Cp866ToUtf8(out.text());
}

TEST(LinkReportsTest, LiveLinksTable) {
  LinkSet links;
  LinkRecord& traffic = links.Add("2:5020/1");
  traffic.bytes_received = 1024;
  traffic.bytes_sent = 3072;
  links.Add("2:5020/10").areafix_requests = 2;  // only AreaFix requests
  links.Add("2:5020/2");                        // nothing at all
  LinkRecord& ignored = links.Add("2:5020/9");
  ignored.bytes_received = 100;
  ignored.bytes_sent = 100;
  ignored.areafix_requests = 1;
  ignored.ignored = 1;

  const std::string middle = Border("╠", "╬", "╣", {18, 8, 8, 5});
  EXPECT_EQ(Report('L', links), Lines(17, {
                                              Border("╔", "╦", "╗", {18, 8, 8, 5}),
                                              "║Живые линки:      ║  From  ║   To   ║ Fix ║",
                                              middle,
                                              "║2:5020/1          ║    1.0k║    3.0k║    0║",
                                              "║2:5020/10         ║    0.0k║    0.0k║    2║",
                                              middle,
                                              "║Всего по 2 линкам:║    1.0k║    3.0k║    2║",
                                              Border("╚", "╩", "╝", {18, 8, 8, 5}),
                                          }));

  // The AreaFix-only link is in X but not in F or T; the ignored one is nowhere.
  EXPECT_NE(Report('X', links).find("║2:5020/10"), std::string::npos);
  EXPECT_EQ(Report('F', links).find("2:5020/10"), std::string::npos);
  EXPECT_EQ(Report('T', links).find("2:5020/10"), std::string::npos);
  for (char letter : std::string_view("LFTX")) EXPECT_EQ(Report(letter, links).find("5020/9"), std::string::npos);
}

TEST(LinkReportsTest, EmptyReportsHaveNoBarColumn) {
  const LinkSet links;
  EXPECT_EQ(Report('F', links), Lines(22, {
                                              Border("╔", "╦", "╗", {18, 8, 4}),
                                              "║Получено от:      ║   kb   ║ %% ║",
                                              Border("╠", "╬", "╣", {18, 8, 4}),
                                              "║Всего по 0 линкам:║     0.0║100%║",
                                              Border("╚", "╩", "╝", {18, 8, 4}),
                                          }));
  EXPECT_NE(Report('L', links).find("║Всего по 0 линкам:║    0.0k║    0.0k║    0║"), std::string::npos);
  EXPECT_NE(Report('T', links).find("║Отправлено на:    ║   kb   ║ %% ║"), std::string::npos);
  EXPECT_NE(Report('X', links).find("║Всего по 0 линкам:║  0║100%║"), std::string::npos);
}

TEST(LinkReportsTest, AreaFixTable) {
  LinkSet links;
  links.Add("9:100/5.0").areafix_requests = 1;
  links.Add("9:20/12.0").areafix_requests = 3;
  links.Add("9:20/7.0").areafix_requests = 1;

  const std::string middle = Border("╠", "╬", "╣", {18, 3, 4, 49});
  EXPECT_EQ(Report('X', links), Lines(0, {
                                             Border("╔", "╦", "╗", {18, 3, 4, 49}),
                                             "║Дёргали AreaFix:  ║Раз║ %% ║" + Times(" ", 49) + "║",
                                             middle,
                                             "║9:20/12.0         ║  3║60.0║" + Times("▄", 49) + "║",
                                             "║9:20/7.0          ║  1║20.0║" + Times("▄", 16) + Times(" ", 33) + "║",
                                             "║9:100/5.0         ║  1║20.0║" + Times("▄", 16) + Times(" ", 33) + "║",
                                             middle,
                                             "║Всего по 3 линкам:║  5║100%║" + Times(" ", 49) + "║",
                                             Border("╚", "╩", "╝", {18, 3, 4, 49}),
                                         }));
}

TEST(LinkReportsTest, AddressesOrderedAsNumbers) {
  LinkSet links;
  links.Add("2:10/1").bytes_received = 512;
  links.Add("2:9/1").bytes_received = 512;
  links.Add("2:9/2").bytes_received = 1024;
  const std::string live = Report('L', links);
  EXPECT_LT(live.find("║2:9/1 "), live.find("║2:9/2 "));
  EXPECT_LT(live.find("║2:9/2 "), live.find("║2:10/1 "));
  const std::string received = Report('F', links);
  EXPECT_LT(received.find("║2:9/2 "), received.find("║2:9/1 "));
  EXPECT_LT(received.find("║2:9/1 "), received.find("║2:10/1 "));

  // Texts equal as addresses are listed in the reverse of their order in the set.
  LinkSet same;
  same.Add("1:2/3").areafix_requests = 1;
  same.Add("1:2/3.0").areafix_requests = 1;
  for (char letter : std::string_view("LX")) {
    const std::string text = Report(letter, same);
    EXPECT_LT(text.find("║1:2/3.0 "), text.find("║1:2/3 ")) << letter;
  }
}

TEST(LinkReportsTest, SentTableSumsOnlySelectedLinks) {
  LinkSet links;
  links.Add("1:1/1").bytes_sent = 3 * 1024;
  links.Add("1:1/2").bytes_sent = 1024;
  links.Add("1:1/3").bytes_received = 4096;
  const std::string sent = Report('T', links);
  EXPECT_NE(sent.find("║1:1/1             ║     3.0║75.0║" + Times("▄", 44) + "║"), std::string::npos);
  EXPECT_NE(sent.find("║1:1/2             ║     1.0║25.0║" + Times("▄", 14) + Times(" ", 30) + "║"), std::string::npos);
  EXPECT_NE(sent.find("║Всего по 2 линкам:║     4.0║100%║"), std::string::npos);
}

}  // namespace
}  // namespace kestrum
