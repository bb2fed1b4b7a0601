// Tests of area name capitalisation and the case-folding name order.
#include <gtest/gtest.h>

#include <string>

#include "platform/cp866.h"
#include "stats/area_name.h"

namespace kestrum {
namespace {

std::string Capitalized(std::string_view name) {
  std::string text(name);
  CapitalizeAreaName(text);
  return text;
}

TEST(AreaNameTest, CapitalisesEachRunOfAsciiLetters) {
  EXPECT_EQ(Capitalized("SU.GENERAL"), "Su.General");
  EXPECT_EQ(Capitalized("ru.os2.talk"), "Ru.Os2.Talk");
  EXPECT_EQ(Capitalized("RU.FIDO-NEWS"), "Ru.Fido-News");
  EXPECT_EQ(Capitalized("1234.-_"), "1234.-_");
  EXPECT_EQ(Capitalized(""), "");
  // Cyrillic bytes are kept as they are and start a new run of letters.
  EXPECT_EQ(Capitalized("su.тест"_cp866), "Su.тест"_cp866);
  EXPECT_EQ(Capitalized("AЯBC"_cp866), "AЯBc"_cp866);
  EXPECT_EQ(Capitalized("\xff"
                        "abc"),
            "\xff"
            "Abc");
}

TEST(AreaNameTest, ComparesWithAsciiFoldingOnly) {
  EXPECT_EQ(CompareAreaNames("su.general", "SU.GENERAL"), 0);
  EXPECT_LT(CompareAreaNames("Su.Gen", "Su.General"), 0);  // a prefix comes first
  EXPECT_GT(CompareAreaNames("Su.General", "Su.Gen"), 0);
  EXPECT_LT(CompareAreaNames("a", "B"), 0);
  // Folding to upper case puts '_' (0x5F) after every letter.
  EXPECT_GT(CompareAreaNames("_", "z"), 0);
  // Bytes compare unsigned: 0x80 and above come after ASCII.
  EXPECT_GT(CompareAreaNames("\x80", "z"), 0);
  // Cyrillic letters of different case differ.
  EXPECT_NE(CompareAreaNames("тест"_cp866, "ТЕСТ"_cp866), 0);
  EXPECT_EQ(CompareAreaNames("", ""), 0);
}

}  // namespace
}  // namespace kestrum
