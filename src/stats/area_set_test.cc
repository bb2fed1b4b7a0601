// Tests of the area set: lookup without case, accumulation, ordered insertion, and the
// configuration handlers of the area keywords.
#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "platform/cp866.h"
#include "stats/area_set.h"

namespace kestrum {
namespace {

// Runs a handler on a value and checks that it never refuses.
template <typename Handler>
void Handle(Handler handler, AreaSet& areas, const std::string& value) {
  EXPECT_EQ(handler(areas, value), nullptr);
}

TEST(AreaSetTest, FindFoldsCaseAndKeepsTheFirstName) {
  AreaSet areas;
  EXPECT_EQ(areas.Find("SU.GENERAL"), nullptr);
  areas.Add("SU.GENERAL");
  areas.Add("ru.os2");
  ASSERT_EQ(areas.count(), 2u);
  EXPECT_EQ(areas[0].name, "Su.General");
  EXPECT_EQ(areas.Find("su.general"), &areas[0]);
  EXPECT_EQ(areas.Find("RU.OS2"), &areas[1]);
  EXPECT_EQ(areas.Find("su.gen"), nullptr);
  areas.Accumulate("SU.general", 1, 2, 3, 4);
  EXPECT_EQ(areas.count(), 2u);
  EXPECT_EQ(areas[0].name, "Su.General");
  EXPECT_EQ(areas[0].flags, 0u);
  // Cyrillic letters are not folded.
  areas.Add("тест"_cp866);
  EXPECT_NE(areas.Find("тест"_cp866), nullptr);
  EXPECT_EQ(areas.Find("ТЕСТ"_cp866), nullptr);
}

TEST(AreaSetTest, AccumulateAddsUnknownAreasAndWraps) {
  AreaSet areas;
  areas.Accumulate("ru.new.area", 5, 1000, 2, 1);
  ASSERT_EQ(areas.count(), 1u);
  const AreaRecord& area = areas[0];
  EXPECT_EQ(area.name, "Ru.New.Area");
  EXPECT_EQ(area.flags, AREA_UNKNOWN);
  EXPECT_EQ(area.imported, 5u);
  EXPECT_EQ(area.imported_bytes, 1000.0);
  EXPECT_EQ(area.exported, 2u);
  EXPECT_EQ(area.dupes, 1u);

  constexpr std::uint32_t kMax = std::numeric_limits<std::uint32_t>::max();
  areas.Accumulate("RU.NEW.AREA", kMax, kMax, kMax, kMax);
  EXPECT_EQ(area.imported, 4u);
  EXPECT_EQ(area.exported, 1u);
  EXPECT_EQ(area.dupes, 0u);
  // Bytes are a double and do not wrap.
  EXPECT_EQ(area.imported_bytes, 1000.0 + kMax);
}

TEST(AreaSetTest, InsertAtPlacesCopiesAndKeepsLookupsRight) {
  AreaSet source;
  source.Accumulate("b", 2, 0, 0, 0);
  source.Accumulate("d", 4, 0, 0, 0);
  source.Accumulate("a", 1, 0, 0, 0);
  source.Accumulate("c", 3, 0, 0, 0);

  AreaSet sorted;
  sorted.InsertAt(source[0], 0);  // B
  sorted.InsertAt(source[1], 1);  // B D
  sorted.InsertAt(source[2], 0);  // A B D
  AreaRecord& c = sorted.InsertAt(source[3], 2);
  EXPECT_EQ(c.name, "C");
  ASSERT_EQ(sorted.count(), 4u);
  for (std::size_t i = 0; i < sorted.count(); ++i) {
    EXPECT_EQ(sorted[i].imported, i + 1);
    EXPECT_EQ(sorted.Find(sorted[i].name), &sorted[i]) << sorted[i].name;
  }
  EXPECT_EQ(sorted[1].flags, AREA_UNKNOWN);

  // A name already present answers that record and changes nothing.
  AreaRecord other = source[1];
  other.name = "d";
  other.imported = 99;
  AreaRecord& existing = sorted.InsertAt(other, 0);
  EXPECT_EQ(&existing, &sorted[3]);
  EXPECT_EQ(existing.imported, 4u);
  EXPECT_EQ(sorted.count(), 4u);

  // A copy's name is stored as given, not capitalised again.
  AreaRecord raw;
  raw.name = "lower.case";
  EXPECT_EQ(sorted.InsertAt(raw, 4).name, "lower.case");
  // A position past the end appends.
  raw.name = "e";
  EXPECT_EQ(&sorted.InsertAt(raw, 100), &sorted[5]);
}

TEST(AreaSetTest, ManyAreasKeepOrderAndContents) {
  AreaSet areas;
  for (std::uint32_t i = 0; i < 3000; ++i) areas.Accumulate("area." + std::to_string(i), i, 0, 0, 0);
  ASSERT_EQ(areas.count(), 3000u);
  for (std::uint32_t i = 0; i < 3000; ++i) {
    EXPECT_EQ(areas[i].imported, i);
    EXPECT_EQ(areas.Find("AREA." + std::to_string(i)), &areas[i]);
  }
  // A copied set answers its own records.
  const AreaSet copy = areas;
  EXPECT_EQ(copy.Find("area.31"), &copy[31]);
}

TEST(AreaSetTest, EchoAreaMarksPassThroughOnlyForNewAreas) {
  AreaSet areas;
  Handle(HandleEchoArea, areas, "SU.GENERAL C:\\Squish\\SuGen -0");
  Handle(HandleEchoArea, areas, "SU.PLAIN C:\\Squish\\Plain");
  Handle(HandleEchoArea, areas, "SU.TEST-0 C:\\Squish\\Test");
  ASSERT_EQ(areas.count(), 3u);
  EXPECT_EQ(areas[0].name, "Su.General");
  EXPECT_EQ(areas[0].flags, AREA_PASSTHROUGH);
  EXPECT_EQ(areas[1].flags, 0u);
  EXPECT_EQ(areas[2].name, "Su.Test-0");
  EXPECT_EQ(areas[2].flags, AREA_PASSTHROUGH);

  // A second EchoArea for a known area changes nothing, with or without -0.
  Handle(HandleEchoArea, areas, "su.plain C:\\Other -0");
  EXPECT_EQ(areas.count(), 3u);
  EXPECT_EQ(areas[1].flags, 0u);

  // EchoArea after Ignore.Area: the area stays ignored only.
  Handle(HandleIgnoreArea, areas, "SU.FLAME");
  Handle(HandleEchoArea, areas, "SU.FLAME C:\\Squish\\Flame -0");
  EXPECT_EQ(areas.Find("su.flame")->flags, AREA_IGNORED);
  EXPECT_EQ(areas.count(), 4u);
}

TEST(AreaSetTest, IgnoreAndDeletedMarkExistingOrNewAreas) {
  AreaSet areas;
  Handle(HandleEchoArea, areas, "SU.FLAME C:\\Squish\\Flame");
  Handle(HandleIgnoreArea, areas, "su.flame further words");
  Handle(HandleDeletedArea, areas, "30 SU.FLAME");
  ASSERT_EQ(areas.count(), 1u);
  EXPECT_EQ(areas[0].flags, AREA_IGNORED | AREA_DELETED);

  Handle(HandleIgnoreArea, areas, "RU.NET");
  ASSERT_EQ(areas.count(), 2u);
  EXPECT_EQ(areas[1].name, "Ru.Net");
  EXPECT_EQ(areas[1].flags, AREA_IGNORED);

  Handle(HandleDeletedArea, areas, "30 SU.OLD");
  ASSERT_EQ(areas.count(), 3u);
  EXPECT_EQ(areas[2].name, "Su.Old");
  EXPECT_EQ(areas[2].flags, AREA_DELETED);
}

TEST(AreaSetTest, DeletedAreaNeedsANumberOfAtMostEightDigits) {
  AreaSet areas;
  Handle(HandleDeletedArea, areas, "SU.OLD");      // no number
  Handle(HandleDeletedArea, areas, "30");          // no tag
  Handle(HandleDeletedArea, areas, " 30 SU.OLD");  // the number must come first
  EXPECT_EQ(areas.count(), 0u);
  // The ninth digit is where the tag begins.
  Handle(HandleDeletedArea, areas, "123456789 SU.OLD");
  ASSERT_EQ(areas.count(), 1u);
  EXPECT_EQ(areas[0].name, "9");
  EXPECT_EQ(areas[0].flags, AREA_DELETED);
  Handle(HandleDeletedArea, areas, "12345678 SU.OLD");
  ASSERT_EQ(areas.count(), 2u);
  EXPECT_EQ(areas[1].name, "Su.Old");
}

TEST(AreaSetTest, HandlersIgnoreMissingAndOverlongTags) {
  AreaSet areas;
  Handle(HandleEchoArea, areas, "");
  Handle(HandleIgnoreArea, areas, "");
  Handle(HandleDeletedArea, areas, "");
  EXPECT_EQ(areas.count(), 0u);

  const std::string longest(kMaxAreaTag, 'a');
  const std::string too_long(kMaxAreaTag + 1, 'a');
  Handle(HandleEchoArea, areas, too_long + " path");
  Handle(HandleIgnoreArea, areas, too_long);
  Handle(HandleDeletedArea, areas, "1 " + too_long);
  EXPECT_EQ(areas.count(), 0u);
  Handle(HandleEchoArea, areas, longest + " path");
  ASSERT_EQ(areas.count(), 1u);
  EXPECT_EQ(areas[0].name.size(), kMaxAreaTag);
}

}  // namespace
}  // namespace kestrum
