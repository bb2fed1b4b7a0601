// Tests of the area-line parser: toss lines with their dupes and sent tails, sent and
// dupes lines, the "total" summary, and texts that are no area lines.
#include <gtest/gtest.h>

#include <string>

#include "stats/area_parser.h"

namespace kestrum {
namespace {

struct Figures {
  std::uint32_t imported;
  double bytes;
  std::uint32_t exported;
  std::uint32_t dupes;
};

// The figures of the one area that a single line added to an empty set.
Figures ParseOne(std::string_view text) {
  AreaSet areas;
  EXPECT_TRUE(ParseAreaLine(areas, text)) << text;
  EXPECT_EQ(areas.count(), 1u) << text;
  if (areas.count() != 1) return {};
  const AreaRecord& area = areas[0];
  return {area.imported, area.imported_bytes, area.exported, area.dupes};
}

void ExpectFigures(std::string_view text, Figures want) {
  const Figures got = ParseOne(text);
  EXPECT_EQ(got.imported, want.imported) << text;
  EXPECT_EQ(got.bytes, want.bytes) << text;
  EXPECT_EQ(got.exported, want.exported) << text;
  EXPECT_EQ(got.dupes, want.dupes) << text;
}

TEST(AreaParserTest, TossLineWithItsTail) {
  ExpectFigures("SU.GENERAL: toss - 12 (34567 bytes), dupes - 1, sent - 10\n", {12, 34567, 10, 1});
  ExpectFigures("SU.GENERAL: toss - 12 (34567 bytes), sent - 10, dupes - 1\n", {12, 34567, 10, 1});
  ExpectFigures("SU.GENERAL: toss - 12 (34567 bytes), sent - 10\n", {12, 34567, 10, 0});
  ExpectFigures("SU.GENERAL: toss - 12 (34567 bytes), dupes - 3\n", {12, 34567, 0, 3});
  // Ending right after the parenthesis, with or without the newline.
  ExpectFigures("SU.GENERAL: toss - 12 (34567 bytes)\n", {12, 34567, 0, 0});
  ExpectFigures("SU.GENERAL: toss - 12 (34567 bytes)", {12, 34567, 0, 0});
  // One-digit figures: the search still finds the tail right after the comma.
  ExpectFigures("A: toss - 1 (1 bytes), dupes - 2, sent - 3\n", {1, 1, 3, 2});
  // Blanks in the form match any run of white space, also none.
  ExpectFigures("SU.X:toss-7(70bytes)\n", {7, 70, 0, 0});
  // The form counts once the byte count is read, whatever follows it.
  ExpectFigures("SU.X: toss - 7 (70 octets)\n", {7, 70, 0, 0});
  // A tail word without digits where the figure should be gives 0.
  ExpectFigures("SU.GENERAL: toss - 12 (34567 bytes), sent - none\n", {12, 34567, 0, 0});
}

TEST(AreaParserTest, TailFiguresNeverReadPastTheText) {
  // "du" / "se" found so near the end that the figure would begin at or past it.
  ExpectFigures("SU.GENERAL: toss - 12 (34567 bytes), du", {12, 34567, 0, 0});
  ExpectFigures("SU.GENERAL: toss - 12 (34567 bytes), dupes -", {12, 34567, 0, 0});
  ExpectFigures("SU.GENERAL: toss - 12 (34567 bytes), sent -", {12, 34567, 0, 0});
  ExpectFigures("SU.GENERAL: toss - 12 (34567 bytes),se", {12, 34567, 0, 0});
  // A text shorter than the search start: nothing is searched.
  ExpectFigures("SU.GENERAL: toss - 1 (1 bytes)", {1, 1, 0, 0});
  // The figure is cut where the text ends.
  std::string text = "SU.GENERAL: toss - 12 (34567 bytes), sent - 123456";
  ExpectFigures(std::string_view(text).substr(0, text.size() - 3), {12, 34567, 123, 0});
}

TEST(AreaParserTest, SentAndDupesLines) {
  AreaSet areas;
  EXPECT_TRUE(ParseAreaLine(areas, "SU.GENERAL: sent - 5\n"));
  EXPECT_TRUE(ParseAreaLine(areas, "su.general: dupes - 2\n"));
  EXPECT_TRUE(ParseAreaLine(areas, "su.general: toss - 3 (300 bytes)\n"));
  ASSERT_EQ(areas.count(), 1u);
  EXPECT_EQ(areas[0].name, "Su.General");
  EXPECT_EQ(areas[0].flags, AREA_UNKNOWN);
  EXPECT_EQ(areas[0].imported, 3u);
  EXPECT_EQ(areas[0].imported_bytes, 300.0);
  EXPECT_EQ(areas[0].exported, 5u);
  EXPECT_EQ(areas[0].dupes, 2u);
}

TEST(AreaParserTest, TotalIsAnAreaOnlyInTossLines) {
  AreaSet areas;
  EXPECT_FALSE(ParseAreaLine(areas, "TOTAL: sent - 5\n"));
  EXPECT_FALSE(ParseAreaLine(areas, "total: dupes - 3\n"));
  EXPECT_FALSE(ParseAreaLine(areas, "Total: sent - 1\n"));
  EXPECT_EQ(areas.count(), 0u);
  EXPECT_TRUE(ParseAreaLine(areas, "total: toss - 5 (100 bytes)\n"));
  ASSERT_EQ(areas.count(), 1u);
  EXPECT_EQ(areas[0].name, "Total");
  EXPECT_EQ(areas[0].flags, AREA_UNKNOWN);
  EXPECT_EQ(areas[0].imported, 5u);
  // A tag that merely begins with total is an area.
  EXPECT_TRUE(ParseAreaLine(areas, "TOTALS: sent - 1\n"));
}

TEST(AreaParserTest, DeclinesOtherTexts) {
  AreaSet areas;
  EXPECT_FALSE(ParseAreaLine(areas, ""));
  EXPECT_FALSE(ParseAreaLine(areas, "\n"));
  EXPECT_FALSE(ParseAreaLine(areas, ": toss - 1 (1 bytes)\n"));  // no tag
  EXPECT_FALSE(ParseAreaLine(areas, " SU.X: sent - 1\n"));       // tag must come first
  EXPECT_FALSE(ParseAreaLine(areas, "SU.X: toss - 1\n"));        // no byte count
  EXPECT_FALSE(ParseAreaLine(areas, "SU.X: toss - 1 (bytes)\n"));
  EXPECT_FALSE(ParseAreaLine(areas, "SU.X: sent - \n"));
  EXPECT_FALSE(ParseAreaLine(areas, "SU.X: Sent - 1\n"));  // words are case-sensitive
  EXPECT_FALSE(ParseAreaLine(areas, "SU.X tossed 1\n"));
  EXPECT_FALSE(ParseAreaLine(areas, "Sent to 1:2/3.0 - 5678\n"));  // a link line
  EXPECT_EQ(areas.count(), 0u);
}

TEST(AreaParserTest, TagLengthLimit) {
  AreaSet areas;
  const std::string longest(kMaxAreaTag, 'x');
  const std::string too_long(kMaxAreaTag + 1, 'x');
  EXPECT_FALSE(ParseAreaLine(areas, too_long + ": toss - 1 (1 bytes)\n"));
  EXPECT_FALSE(ParseAreaLine(areas, too_long + ": sent - 1\n"));
  EXPECT_FALSE(ParseAreaLine(areas, too_long + ": dupes - 1\n"));
  EXPECT_EQ(areas.count(), 0u);
  EXPECT_TRUE(ParseAreaLine(areas, longest + ": toss - 1 (1 bytes), dupes - 4\n"));
  ASSERT_EQ(areas.count(), 1u);
  EXPECT_EQ(areas[0].name.size(), kMaxAreaTag);
  EXPECT_EQ(areas[0].dupes, 4u);
}

}  // namespace
}  // namespace kestrum
