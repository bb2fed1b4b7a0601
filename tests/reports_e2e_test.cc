// End-to-end tests of the report files: every letter in one file compared byte for byte,
// appending, bare lists, repeated letters, refused Out.File.Name lines and the Show keywords.
#include <string>

#include "e2e_support.h"

namespace kestrum::e2e {
namespace {

constexpr std::string_view kDate = "2002-07-05 12:00:00";

constexpr std::string_view kLog =
    "04 Jul 02  01:00:00 SU.GENERAL: toss - 12 (34567 bytes), dupes - 1, sent - 10\n"
    "04 Jul 02  02:00:00 SU.HUMOR: toss - 3 (2048 bytes), sent - 6\n"
    "04 Jul 02  03:00:00 [ab] xsu.new: dupes - 2\n"
    "04 Jul 02  04:00:00 SU.FLAME: toss - 50 (99999 bytes)\n"
    "04 Jul 02  05:00:00 SU.OLD: sent - 1\n"
    "04 Jul 02  06:00:00 [Inbound] 0000ABCD.PKT (34567 bytes) from 2:5020/52.0\n"
    "04 Jul 02  07:00:00 Sent to 2:5020/77.0 - 16384\n"
    "04 Jul 02  08:00:00 Real message from 2:5020/77.0\n"
    "04 Jul 02  09:00:00 [Inbound] 0000ABCE.PKT (100 bytes) from 2:5020/9999.0\n"
    "04 Jul 02  10:00:00 Sent to 2:50/9.0 - 2048\n";

constexpr std::string_view kHeader =
    "                  ╔════════════════════════════════════════╗\n"
    "                  ║           Отчётный период:             ║\n"
    "                  ╠════════════════════════════════════════╣\n"
    "                  ║c  0:00:00  4/07/02 по  0:00:00  5/07/02║\n"
    "                  ╚════════════════════════════════════════╝\n"
    "\n";

constexpr std::string_view kFooter = "\nKestrum, ver. 0.1.2/W32\n(c) The Kestrum developers\n";

constexpr std::string_view kAreasTable =
    "               ╔═╦════════════════╦═════╦════════╦═════╦═════╗\n"
    "               ║ ║Живые эхи:      ║ Imp ║   kb   ║ Exp ║ Dup ║\n"
    "               ╠═╬════════════════╬═════╬════════╬═════╬═════╣\n"
    "               ║ ║Su.General      ║   12║    33.8║   10║    1║\n"
    "               ║P║Su.Humor        ║    3║     2.0║    6║    0║\n"
    "               ║D║Su.Old          ║    0║     0.0║    1║    0║\n"
    "               ║U║Xsu.New         ║    0║     0.0║    0║    2║\n"
    "               ╠═╬════════════════╬═════╬════════╬═════╬═════╣\n"
    "               ║ ║Всего по 4 эхам:║   15║    35.8║   17║    3║\n"
    "               ╚═╩════════════════╩═════╩════════╩═════╩═════╝\n"
    "\n";

// Every report letter, in one file, in the order of the letters.
constexpr std::string_view kEveryLetter = R"rep(                  ╔════════════════════════════════════════╗
                  ║           Отчётный период:             ║
                  ╠════════════════════════════════════════╣
                  ║c  0:00:00  4/07/02 по  0:00:00  5/07/02║
                  ╚════════════════════════════════════════╝

               ╔═╦════════════════╦═════╦════════╦═════╦═════╗
               ║ ║Живые эхи:      ║ Imp ║   kb   ║ Exp ║ Dup ║
               ╠═╬════════════════╬═════╬════════╬═════╬═════╣
               ║ ║Su.General      ║   12║    33.8║   10║    1║
               ║P║Su.Humor        ║    3║     2.0║    6║    0║
               ║D║Su.Old          ║    0║     0.0║    1║    0║
               ║U║Xsu.New         ║    0║     0.0║    0║    2║
               ╠═╬════════════════╬═════╬════════╬═════╬═════╣
               ║ ║Всего по 4 эхам:║   15║    35.8║   17║    3║
               ╚═╩════════════════╩═════╩════════╩═════╩═════╝

╔═╦════════════════════╦══════╦═════╦════╦════════════════════════════════════╗
║ ║Импортировано в Эхи:║  kb  ║ Msg ║ %% ║                                    ║
╠═╬════════════════════╬══════╬═════╬════╬════════════════════════════════════╣
║ ║Su.General          ║  33.8║   12║80.0║▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄║
║P║Su.Humor            ║   2.0║    3║20.0║▄▄▄▄▄▄▄▄▄                           ║
╠═╬════════════════════╬══════╬═════╬════╬════════════════════════════════════╣
║ ║Всего по 2 эхам:    ║  35.8║   15║100%║                                    ║
╚═╩════════════════════╩══════╩═════╩════╩════════════════════════════════════╝

╔═╦════════════════════╦═════╦══════╦════╦════════════════════════════════════╗
║ ║Импортировано в Эхи:║ Msg ║  kb  ║ %% ║                                    ║
╠═╬════════════════════╬═════╬══════╬════╬════════════════════════════════════╣
║ ║Su.General          ║   12║  33.8║94.4║▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄║
║P║Su.Humor            ║    3║   2.0║ 5.6║▄▄                                  ║
╠═╬════════════════════╬═════╬══════╬════╬════════════════════════════════════╣
║ ║Всего по 2 эхам:    ║   15║  35.8║100%║                                    ║
╚═╩════════════════════╩═════╩══════╩════╩════════════════════════════════════╝

╔═╦═════════════════════╦═════╦════╦══════════════════════════════════════════╗
║ ║Экспортировано из эх:║ Msg ║ %% ║                                          ║
╠═╬═════════════════════╬═════╬════╬══════════════════════════════════════════╣
║ ║Su.General           ║   10║58.8║▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄║
║P║Su.Humor             ║    6║35.3║▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄                 ║
║D║Su.Old               ║    1║ 5.9║▄▄▄▄                                      ║
╠═╬═════════════════════╬═════╬════╬══════════════════════════════════════════╣
║ ║Всего по 3 эхам:     ║   17║100%║                                          ║
╚═╩═════════════════════╩═════╩════╩══════════════════════════════════════════╝

╔═╦════════════════╦═════╦════╦═══════════════════════════════════════════════╗
║ ║Эхи с дупами:   ║ Dup ║ %% ║                                               ║
╠═╬════════════════╬═════╬════╬═══════════════════════════════════════════════╣
║U║Xsu.New         ║    2║66.7║▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄║
║ ║Su.General      ║    1║33.3║▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄                        ║
╠═╬════════════════╬═════╬════╬═══════════════════════════════════════════════╣
║ ║Дупов по 2 эхам:║    3║100%║                                               ║
╚═╩════════════════╩═════╩════╩═══════════════════════════════════════════════╝

                            ╔═╦══════════════════╗
                            ║ ║Мёртвые эхи:      ║
                            ╠═╬══════════════════╣
                            ║ ║Su.Quiet          ║
                            ╠═╬══════════════════╣
                            ║ ║Всего 1 мёртвых эх║
                            ╚═╩══════════════════╝


Su.Quiet
                 ╔══════════════════╦════════╦════════╦═════╗
                 ║Живые линки:      ║  From  ║   To   ║ Fix ║
                 ╠══════════════════╬════════╬════════╬═════╣
                 ║2:50/9.0          ║    0.0k║    2.0k║    0║
                 ║2:5020/52.0       ║   33.8k║    0.0k║    0║
                 ║2:5020/77.0       ║    0.0k║   16.0k║    1║
                 ╠══════════════════╬════════╬════════╬═════╣
                 ║Всего по 3 линкам:║   33.8k║   18.0k║    1║
                 ╚══════════════════╩════════╩════════╩═════╝

╔══════════════════╦════════╦═════╦═══════════════════════════════════════════╗
║Получено от:      ║   kb   ║  %% ║                                           ║
╠══════════════════╬════════╬═════╬═══════════════════════════════════════════╣
║2:5020/52.0       ║    33.8║100.0║▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄║
╠══════════════════╬════════╬═════╬═══════════════════════════════════════════╣
║Всего по 1 линкам:║    33.8║ 100%║                                           ║
╚══════════════════╩════════╩═════╩═══════════════════════════════════════════╝

╔══════════════════╦════════╦════╦════════════════════════════════════════════╗
║Отправлено на:    ║   kb   ║ %% ║                                            ║
╠══════════════════╬════════╬════╬════════════════════════════════════════════╣
║2:5020/77.0       ║    16.0║88.9║▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄║
║2:50/9.0          ║     2.0║11.1║▄▄▄▄▄                                       ║
╠══════════════════╬════════╬════╬════════════════════════════════════════════╣
║Всего по 2 линкам:║    18.0║100%║                                            ║
╚══════════════════╩════════╩════╩════════════════════════════════════════════╝

╔══════════════════╦═══╦═════╦════════════════════════════════════════════════╗
║Дёргали AreaFix:  ║Раз║  %% ║                                                ║
╠══════════════════╬═══╬═════╬════════════════════════════════════════════════╣
║2:5020/77.0       ║  1║100.0║▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄║
╠══════════════════╬═══╬═════╬════════════════════════════════════════════════╣
║Всего по 1 линкам:║  1║ 100%║                                                ║
╚══════════════════╩═══╩═════╩════════════════════════════════════════════════╝


Kestrum, ver. 0.1.2/W32
(c) The Kestrum developers
)rep";

class ReportsTest : public E2eTest {
 protected:
  // The example data with the given Out.File.Name lines (and any other lines).
  void Configure(std::string_view lines) {
    WriteText("k.cfg", std::string("Tovark.Log tosser.log\nSquish.Cfg squish.cfg\nPeriod 1,00:00 0,00:00\n"
                                   "Ignore.Area SU.FLAME\nDeletedArea 30 SU.OLD\nIgnore.Link 2:5020/9999.0\n") +
                           std::string(lines));
    WriteText("squish.cfg",
              "EchoArea SU.GENERAL C:\\G\nEchoArea SU.HUMOR C:\\H -0\nEchoArea SU.QUIET C:\\Q\n"
              "EchoArea SU.FLAME C:\\F\nEchoArea SU.OLD C:\\O\n");
    WriteText("tosser.log", kLog);
  }
  RunResult RunIt() const { return Run({"-c", "k.cfg"}, kDate); }
  static std::string Complete() {
    return std::string(kBanner) +
           "Parsing k.cfg... Done.\nParsing tosser.log... Done.\nWriting output files... Done.\n";
  }
};

TEST_F(ReportsTest, EveryLetterIsWrittenInOrderBetweenHeaderAndFooter) {
  // A page of the same letters beside it changes nothing in the text.
  Configure("Out.File.Name all.rep AIiEPDdLFTX\nOut.Html.Name all.html AIiEPDdLFTX\n");
  const RunResult run = RunIt();
  EXPECT_EQ(run.out, Complete());
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(ReadRaw("all.rep"), Cp866File(kEveryLetter));
}

// The page without the rules of its style sheet.
std::string WithoutStyle(const std::string& page) {
  const std::size_t from = page.find("<style>\n");
  const std::size_t to = page.find("</style>\n");
  if (from == std::string::npos || to == std::string::npos) return page;
  return page.substr(0, from + 8) + page.substr(to);
}

TEST_F(ReportsTest, APageShowsTheSameReportsAsHtmlInUtf8) {
  Configure("Out.Html.Name all.html dX\n");
  ASSERT_EQ(RunIt().status, 0);
  const std::string page = ReadRaw("all.html");
  EXPECT_EQ(page.find('\r'), std::string::npos);
  EXPECT_EQ(WithoutStyle(page), R"html(<!DOCTYPE html>
<html lang="ru">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<title>Отчётный период: c  0:00:00  4/07/02 по  0:00:00  5/07/02</title>
<style>
</style>
</head>
<body>
<header>
<h1>Отчётный период: c  0:00:00  4/07/02 по  0:00:00  5/07/02</h1>
</header>
<main>
<h2>Мёртвые эхи:</h2>
<ul class="names">
<li>Su.Quiet</li>
</ul>
<table class="bars">
<caption>Дёргали AreaFix:</caption>
<thead>
<tr><th scope="col" class="l"></th><th scope="col">Раз</th><th scope="col">%</th><td class="bar"></td></tr>
</thead>
<tbody>
<tr><th scope="row">2:5020/77.0</th><td>1</td><td>100.0</td><td class="bar" style="--w:100.0%"></td></tr>
</tbody>
<tfoot>
<tr><th scope="row">Всего по 1 линкам:</th><td>1</td><td>100%</td><td class="bar"></td></tr>
</tfoot>
</table>
</main>
<footer>
<p>Kestrum, ver. 0.1.2/W32</p>
<p>(c) The Kestrum developers</p>
</footer>
</body>
</html>
)html");
}

TEST_F(ReportsTest, PageLinesAreReadLikeReportFilesAndRefuseAppending) {
  // Pages count in the same ten files; + and unknown letters are refused.
  std::string lines = "Out.Html.Name old.html A\nOut.Html.Name plus.html A+\nOut.Html.Name bad.html Aa\n";
  for (int i = 2; i <= 9; ++i) lines += "Out.File.Name file" + std::to_string(i) + ".rep L\n";
  lines += "Out.Html.Name tenth.html L\nOut.Html.Name eleventh.html L\n";
  Configure(lines);
  WriteRaw("old.html", "last night's page\n");
  const RunResult run = RunIt();
  const std::string refused = "Ошибка в имени файла или в списке ключей\n";
  EXPECT_EQ(run.out, std::string(kBanner) + "Parsing k.cfg... " +
                         Cp866("\nk.cfg, строка 8. " + refused + "\nk.cfg, строка 9. " + refused +
                               "\nk.cfg, строка 19. " + refused));
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(ReadRaw("old.html"), "last night's page\n");  // a failed run keeps the old page
  EXPECT_EQ(ReadRaw("tenth.html"), "");
  EXPECT_FALSE(Exists("plus.html"));
  EXPECT_FALSE(Exists("eleventh.html"));
}

TEST_F(ReportsTest, RepeatedLettersAndSeveralFiles) {
  Configure("Out.File.Name twice.rep AA\nOut.File.Name dead.lst d\nOut.File.Name plusdead.lst +d\n");
  const RunResult run = RunIt();
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(ReadRaw("twice.rep"), Cp866File(std::string(kHeader) + std::string(kAreasTable) + std::string(kAreasTable) +
                                            std::string(kFooter)));
  // Letters of only d (and +) make a bare list: no header, no footer.
  EXPECT_EQ(ReadRaw("dead.lst"), Cp866File("\nSu.Quiet\n"));
  EXPECT_EQ(ReadRaw("plusdead.lst"), Cp866File("\nSu.Quiet\n"));
}

TEST_F(ReportsTest, PlusAppendsAcrossRunsOtherwiseTheFileIsReplaced) {
  Configure("Out.File.Name grow.rep A+\nOut.File.Name fresh.rep A\nOut.File.Name nothing.rep +\n");
  WriteRaw("fresh.rep", "old contents\r\n");
  WriteRaw("nothing.rep", "kept\r\n");
  ASSERT_EQ(RunIt().status, 0);
  ASSERT_EQ(RunIt().status, 0);
  const std::string once = Cp866File(std::string(kHeader) + std::string(kAreasTable) + std::string(kFooter));
  EXPECT_EQ(ReadRaw("grow.rep"), once + once);
  EXPECT_EQ(ReadRaw("fresh.rep"), once);
  EXPECT_EQ(ReadRaw("nothing.rep"), "kept\r\n");
}

TEST_F(ReportsTest, RefusedOutFileNameLinesEndTheRunKeepingTheOldReports) {
  std::string lines =
      "Out.File.Name first.rep A\nOut.File.Name bad.rep Aa\nOut.File.Name onlypath.rep\n"
      "Out.File.Name missing/dir.rep A\n";
  for (int i = 2; i <= 10; ++i) lines += "Out.File.Name file" + std::to_string(i) + ".rep L\n";
  lines += "Out.File.Name eleventh.rep L\n";
  Configure(lines);
  WriteRaw("first.rep", "previous report\r\n");
  const RunResult run = RunIt();
  const std::string refused = "Ошибка в имени файла или в списке ключей\n";
  EXPECT_EQ(run.out, std::string(kBanner) + "Parsing k.cfg... " +
                         Cp866("\nk.cfg, строка 8. " + refused + "\nk.cfg, строка 9. " + refused +
                               "\nk.cfg, строка 10. " + refused + "\nk.cfg, строка 20. " + refused));
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(ReadRaw("first.rep"), "previous report\r\n");  // checked, never written
  EXPECT_EQ(ReadRaw("file10.rep"), "");                    // created empty
  EXPECT_FALSE(Exists("bad.rep"));
  EXPECT_FALSE(Exists("eleventh.rep"));
}

TEST_F(ReportsTest, ShowKeywordsHideDeletedAndUnknownAreas) {
  Configure("Out.File.Name areas.rep A\nShow.Deleted.Area No\nShow.Unknown.Area no\n");
  ASSERT_EQ(RunIt().status, 0);
  EXPECT_EQ(ReadRaw("areas.rep"), Cp866File(std::string(kHeader) +
                                            "               ╔═╦════════════════╦═════╦════════╦═════╦═════╗\n"
                                            "               ║ ║Живые эхи:      ║ Imp ║   kb   ║ Exp ║ Dup ║\n"
                                            "               ╠═╬════════════════╬═════╬════════╬═════╬═════╣\n"
                                            "               ║ ║Su.General      ║   12║    33.8║   10║    1║\n"
                                            "               ║P║Su.Humor        ║    3║     2.0║    6║    0║\n"
                                            "               ╠═╬════════════════╬═════╬════════╬═════╬═════╣\n"
                                            "               ║ ║Всего по 2 эхам:║   15║    35.8║   16║    1║\n"
                                            "               ╚═╩════════════════╩═════╩════════╩═════╩═════╝\n"
                                            "\n" +
                                            std::string(kFooter)));
}

TEST_F(ReportsTest, EmptyStatisticsStillWriteEveryTable) {
  Configure("Out.File.Name empty.rep PL\n");
  WriteText("tosser.log", "");
  ASSERT_EQ(RunIt().status, 0);
  EXPECT_EQ(ReadRaw("empty.rep"), Cp866File(std::string(kHeader) +
                                            // No row has a flag letter, so that column is 0 wide.
                                            "                        ╔╦════════════════╦═════╦════╗\n"
                                            "                        ║║Эхи с дупами:   ║ Dup ║ %% ║\n"
                                            "                        ╠╬════════════════╬═════╬════╣\n"
                                            "                        ║║Дупов по 0 эхам:║    0║100%║\n"
                                            "                        ╚╩════════════════╩═════╩════╝\n"
                                            "\n"
                                            "                 ╔══════════════════╦════════╦════════╦═════╗\n"
                                            "                 ║Живые линки:      ║  From  ║   To   ║ Fix ║\n"
                                            "                 ╠══════════════════╬════════╬════════╬═════╣\n"
                                            "                 ║Всего по 0 линкам:║    0.0k║    0.0k║    0║\n"
                                            "                 ╚══════════════════╩════════╩════════╩═════╝\n"
                                            "\n" +
                                            std::string(kFooter)));
}

}  // namespace
}  // namespace kestrum::e2e
