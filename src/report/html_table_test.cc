// Tests of the HTML drawing of laid-out reports: whole tables and lists compared as
// strings, and the text of every byte.
#include "report/html_table.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/cp866.h"

namespace kestrum {
namespace {

std::string Html(const LaidOutTable& table) {
  StringSink out;
  WriteHtmlReport(table, out);
  return out.text();
}

TEST(HtmlTableTest, ShareTableWithBarsAndEscapedNames) {
  LaidOutTable table({COL_LEFT, COL_LEFT | 40, COL_RIGHT, COL_RIGHT});
  table.AddRow("\nЭхи с дупами:\n Dup \n %% \n"_cp866, kNoBar);
  table.AddRow("P\nSu.<script>&\"x'\n5\n71.4\n", 5.0);
  table.AddRow(" \nRu.\x01Os2\xF0\n2\n28.6\n", 2.0);
  table.AddRow("\nДупов по 2 эхам:\n7\n100%\n"_cp866, kNoBar);
  EXPECT_EQ(Html(table),
            "<table class=\"bars\">\n"
            "<caption>Эхи с дупами:</caption>\n"
            "<thead>\n"
            "<tr><th scope=\"col\" class=\"l\"></th><th scope=\"col\" class=\"l\"></th><th scope=\"col\">Dup</th>"
            "<th scope=\"col\">%</th><td class=\"bar\"></td></tr>\n"
            "</thead>\n"
            "<tbody>\n"
            "<tr><td class=\"l\">P</td><th scope=\"row\">Su.&lt;script&gt;&amp;&quot;x&#39;</th><td>5</td>"
            "<td>71.4</td><td class=\"bar\" style=\"--w:100.0%\"></td></tr>\n"
            "<tr><td class=\"l\"></td><th scope=\"row\">Ru.\uFFFDOs2Ё</th><td>2</td><td>28.6</td>"
            "<td class=\"bar\" style=\"--w:40.0%\"></td></tr>\n"
            "</tbody>\n"
            "<tfoot>\n"
            "<tr><td class=\"l\"></td><th scope=\"row\">Дупов по 2 эхам:</th><td>7</td><td>100%</td>"
            "<td class=\"bar\"></td></tr>\n"
            "</tfoot>\n"
            "</table>\n");
}

TEST(HtmlTableTest, NameTablesShowNamesWholeAndLeaveOutAnEmptyBody) {
  const std::string name(60, 'N');
  LaidOutTable dead({COL_LEFT, COL_LEFT | 35});
  dead.AddRow("\nМёртвые эхи:\n"_cp866, 0.0);
  dead.AddRow("D\n" + name + "\n", 0.0);
  dead.AddRow("\nВсего 1 мёртвых эх\n"_cp866, 0.0);
  EXPECT_EQ(Html(dead),
            "<table>\n<caption>Мёртвые эхи:</caption>\n"
            "<thead>\n<tr><th scope=\"col\" class=\"l\"></th><th scope=\"col\" class=\"l\"></th></tr>\n</thead>\n"
            "<tbody>\n<tr><td class=\"l\">D</td><th scope=\"row\">" +
                name +
                "</th></tr>\n</tbody>\n"
                "<tfoot>\n<tr><td class=\"l\"></td><th scope=\"row\">Всего 1 мёртвых эх</th></tr>\n</tfoot>\n"
                "</table>\n");

  LaidOutTable links({COL_LEFT, COL_RIGHT});
  links.AddRow("Дёргали AreaFix:\n %% \n"_cp866, kNoBar);
  links.AddRow("Всего по 0 линкам:\n100%\n"_cp866, kNoBar);
  EXPECT_EQ(Html(links),
            "<table>\n<caption>Дёргали AreaFix:</caption>\n"
            "<thead>\n<tr><th scope=\"col\" class=\"l\"></th><th scope=\"col\">%</th></tr>\n</thead>\n"
            "<tfoot>\n<tr><th scope=\"row\">Всего по 0 линкам:</th><td>100%</td></tr>\n</tfoot>\n"
            "</table>\n");
}

TEST(HtmlTableTest, BareListIsItsTitleAndItsNames) {
  LaidOutTable list = LaidOutTable::BareList("Мёртвые эхи:\n"_cp866);
  EXPECT_EQ(Html(list), "<h2>Мёртвые эхи:</h2>\n");  // no empty list
  list.AddRow("Su.Quiet", kNoBar);
  list.AddRow("<img/src=x/onerror=alert(1)>", kNoBar);
  EXPECT_EQ(Html(list),
            "<h2>Мёртвые эхи:</h2>\n<ul class=\"names\">\n<li>Su.Quiet</li>\n"
            "<li>&lt;img/src=x/onerror=alert(1)&gt;</li>\n</ul>\n");
}

TEST(HtmlTableTest, EveryByteBecomesPrintableTextAsTheConverterReadsIt) {
  for (int byte = 0; byte < 256; ++byte) {
    const std::string cp866(1, static_cast<char>(byte));
    std::string html;
    AppendHtmlText(html, cp866);
    std::size_t pos = 0;
    const char32_t cp = DecodeUtf8(html, &pos);
    if (byte < 0x20 || byte == 0x7F) {
      EXPECT_EQ(html, "\uFFFD") << byte;
    } else if (html[0] == '&') {
      EXPECT_NE(std::string_view("&<>\"'").find(static_cast<char>(byte)), std::string_view::npos) << byte;
      EXPECT_EQ(html.back(), ';') << byte;
    } else {
      EXPECT_EQ(html, Cp866ToUtf8(cp866)) << byte;
      EXPECT_EQ(pos, html.size()) << byte;
      EXPECT_GE(cp, char32_t{0x20}) << byte;
    }
  }
}

}  // namespace
}  // namespace kestrum
