// Differential tests of the hand-written log parsers and configuration-value handlers:
// many seeded random texts, built from every form the parsers know and then mutated, go
// both to the parser and to a plain sscanf model of it (fuzz/scanf_reference.h). Both
// must answer alike: accepted or not, and every figure that reaches the sets.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "config/keyword_table.h"
#include "fuzz/fuzz_check.h"
#include "fuzz/random_text.h"
#include "fuzz/scanf_reference.h"
#include "platform/format.h"
#include "platform/local_time.h"
#include "stats/area_parser.h"
#include "stats/area_set.h"
#include "stats/fido_address.h"
#include "stats/link_parser.h"
#include "stats/link_set.h"
#include "stats/period.h"
#include "unit_support.h"

namespace kestrum {
namespace {

using testing_support::ScopedTimeZone;
using testing_support::Shown;

using fuzzing::Mutated;
using fuzzing::Random;

// Counts disagreements and reports the first few in full; a test ends with
// EXPECT_EQ(mismatches.count(), 0) so that one fault does not print a thousand lines.
class Mismatches {
 public:
  void Add(const std::string& what) {
    if (++count_ <= 8) ADD_FAILURE() << what;
  }
  int count() const { return count_; }

 private:
  int count_ = 0;
};

std::string Describe(const AreaRecord* area) {
  if (area == nullptr) return "(none)";
  return Format("%s imported=%u bytes=%.0f exported=%u dupes=%u flags=%u", Shown(area->name), area->imported,
                area->imported_bytes, area->exported, area->dupes, area->flags);
}

std::string Describe(const LinkRecord* link) {
  if (link == nullptr) return "(none)";
  return Format("%s received=%.0f sent=%.0f requests=%u ignored=%i", Shown(link->name), link->bytes_received,
                link->bytes_sent, link->areafix_requests, link->ignored);
}

// Both absent, or both present and alike.
template <typename Record>
bool Same(const Record* a, const Record* b) {
  return a == nullptr || b == nullptr ? a == b : fuzzing::Same(*a, *b);
}

template <typename Set>
std::string DescribeAll(const Set& set) {
  std::string out;
  for (const auto& record : set) out += Describe(&record) + "\n";
  return out;
}

// Adds what the model says a text adds, and answers it: none for a text that is no
// area line.
std::optional<model::AreaFigures> ModelAreaLine(AreaSet& areas, const std::string& text) {
  std::optional<model::AreaFigures> figures = model::AreaLine(text);
  if (figures) areas.Accumulate(figures->tag, figures->imported, figures->bytes, figures->exported, figures->dupes);
  return figures;
}

std::optional<model::LinkFigures> ModelLinkLine(LinkSet& links, const std::string& text) {
  std::optional<model::LinkFigures> figures = model::LinkLine(text);
  if (figures) links.Accumulate(figures->address, figures->received, figures->sent, figures->requests);
  return figures;
}

// Runs one area text through the parser and the model, each into its own set, and
// compares the answers and the sets. After a disagreement the parser's set is made
// the model's again, so that one fault is reported once.
void CompareAreaText(const std::string& text, AreaSet& parsed, AreaSet& modelled, Mismatches& mismatches) {
  const bool got = ParseAreaLine(parsed, text);
  const std::optional<model::AreaFigures> figures = ModelAreaLine(modelled, text);
  const bool want = figures.has_value();
  const std::string tag = figures ? figures->tag : std::string();
  if (got != want || parsed.count() != modelled.count() || (want && !Same(parsed.Find(tag), modelled.Find(tag)))) {
    mismatches.Add(Format("area text %s: parser %s, model %s\n  parser: %s\n  model:  %s", Shown(text),
                          got ? "accepts" : "declines", want ? "accepts" : "declines", Describe(parsed.Find(tag)),
                          Describe(modelled.Find(tag))));
    parsed = modelled;
  }
}

void CompareLinkText(const std::string& text, LinkSet& parsed, LinkSet& modelled, Mismatches& mismatches) {
  const bool got = ParseLinkLine(parsed, text);
  const std::optional<model::LinkFigures> figures = ModelLinkLine(modelled, text);
  const bool want = figures.has_value();
  const std::string address = figures ? figures->address : std::string();
  if (got != want || parsed.count() != modelled.count() ||
      (want && !Same(parsed.Find(address), modelled.Find(address)))) {
    mismatches.Add(Format("link text %s: parser %s, model %s\n  parser: %s\n  model:  %s", Shown(text),
                          got ? "accepts" : "declines", want ? "accepts" : "declines", Describe(parsed.Find(address)),
                          Describe(modelled.Find(address))));
    parsed = modelled;
  }
}

TEST(ScanfEquivalenceTest, AreaLines) {
  AreaSet parsed;
  AreaSet modelled;
  Mismatches mismatches;
  // Texts at the edges of the forms, then random ones.
  const std::string tag199(199, 'T');
  const std::string tag200(200, 'T');
  for (const std::string& text : {
           std::string("SU.GENERAL: toss - 12 (34567 bytes), dupes - 1, sent - 10\n"),
           std::string("A: toss - -1 (4294967296 bytes)\n"),
           std::string("A: toss - 18446744073709551616 (-18446744073709551615 bytes)\n"),
           std::string("A:toss-1(2bytes),dupes-3,sent-4"),
           std::string("A: toss - 1 (2 bytes), dupes -"),
           std::string("A: toss - 1 (2 bytes), du"),
           std::string("ABCDEFGHIJKLMNOPQRSTUVWXYZ: toss - 1 (2"),
           std::string("A: toss - 1 (2 bytes), se\tnt - +7"),
           std::string("A: toss - 1 ( 2 bytes) sent - 0x10"),
           std::string("A: toss - 1 (2 bytes)dupes - 5 sent - 6\n"),
           std::string("A: toss - 1 (2 bytes), sent - 4, dupes - 3\n"),
           std::string("A: toss - 1 (2 bytes), dupes - 3\n"),
           std::string("A: toss - 1 (2 bytes), sent - 4"),
           std::string("A: toss - 1 (2 bytes), sent - 4 dupes - 3\n"),
           std::string("A: toss - 1 (2 bytes), dupes - 3 (sent - 4)\n"),
           std::string("A: toss - 1 (2 bytes), dupes - 3\n\n"),
           std::string("A: toss - 1 (2 bytes), sent - +4, dupes -  -3, seen\n"),
           // Figures at and past nine digits, leading zeros, text after both keys.
           std::string("A: toss - 999999999 (4294967295 bytes), dupes - 1234567890, sent - 4294967296\n"),
           std::string("A: toss - 0000000001 (007 bytes), sent - 123456789, dupes - 99999999999999999999\n"),
           std::string("A: toss - 999999999 (999999999 bytes), dupes - 999999999, sent - 999999999\n"),
           std::string("A: toss - 1 (2 bytes), dupes - 1234567890, sent - 4\n"),
           std::string("A: toss - 1 (2 bytes), sent - 99999999999999999999\n"),
           std::string("A: toss - 1 (2 bytes), dupes - 3, sent - 4 and more\n"),
           std::string("A: toss - 1 (2 bytes), dupes - 3,  sent - 4\n"),
           std::string("A: toss - 1 (2 bytes)\r\n"),
           std::string("\xAE\xA0: sent - 007\n"),
           std::string("TOTAL: sent - 5\n"),
           std::string("total: dupes - 3\n"),
           std::string("total: toss - 5 (100 bytes)\n"),
           std::string("A : sent - 1\n"),
           std::string(":A: sent - 1\n"),
           std::string("A: sent - \n"),
           std::string("A: dupes - -\n"),
           tag199 + ": sent - 1\n",
           tag200 + ": sent - 1\n",
           tag199 + ": toss - 1 (2 bytes), dupes - 3",
           std::string(),
       }) {
    CompareAreaText(text, parsed, modelled, mismatches);
  }
  Random random(20020705);
  for (int i = 0; i < fuzzing::Cases(60000); ++i) {
    const std::string text = Mutated(random, random.OneIn(10) ? fuzzing::LinkText(random) : fuzzing::AreaText(random));
    CompareAreaText(text, parsed, modelled, mismatches);
  }
  EXPECT_EQ(DescribeAll(parsed), DescribeAll(modelled));
  EXPECT_GT(parsed.count(), 1000u);  // the texts reached far into the forms
  EXPECT_EQ(mismatches.count(), 0);
}

TEST(ScanfEquivalenceTest, LinkLines) {
  LinkSet parsed;
  LinkSet modelled;
  Mismatches mismatches;
  const std::string address27 = "2:5020/1042." + std::string(15, '1');
  const std::string address28 = address27 + "1";
  for (const std::string& text : {
           std::string("[Inbound] 0000ABCD.PKT (1234 bytes) from 1:2/3.0\n"),
           std::string("[Inbound] 0000abcd.pKt (1234 bytes) from 1:2/3.0\n"),
           std::string("[Inbound] ABC.PKT (1234 bytes) from 1:2/3.0\n"),
           std::string("[Inbound] 0000ABCDE.PKT (1 bytes) from 1:2/3.0\n"),
           std::string("[Inbound] 0000ABCD.MSG (1234 bytes) from 1:2/3.0\n"),
           std::string("[Inbound]0000ABCD.PKT(1bytes)from1:2/3"),
           std::string("[Inbound] 0000ABCD.PKT (-1 bytes) from 1:2/3.0,x\n"),
           std::string("[Inbound] 0000ABCD.PKT (1 bytes) from \n"),
           std::string("[Inbound]  \t 00.0ABCD.PKT (1 bytes) from 1:2/3\n"),
           std::string("Sent to 1:2/3.0 - 5678\n"),
           std::string("Sent to 1:2/3.0 -5678"),
           std::string("Sent to 1:2/3.0 - - 5678"),
           std::string("Sent to1:2/3.0-99999999999999999999"),
           std::string("Real message from 1:2/3.0,x\n"),
           std::string("real message from 1:2/3.0\n"),
           std::string("Real message from\t\v 1:2/3.0\n"),
           "Real message from " + address27 + "\n",
           "Real message from " + address28 + "\n",
           "Sent to " + address28 + " - 1\n",
           std::string(),
       }) {
    CompareLinkText(text, parsed, modelled, mismatches);
  }
  Random random(5020);
  for (int i = 0; i < fuzzing::Cases(60000); ++i) {
    const std::string text = Mutated(random, random.OneIn(10) ? fuzzing::AreaText(random) : fuzzing::LinkText(random));
    CompareLinkText(text, parsed, modelled, mismatches);
  }
  EXPECT_EQ(DescribeAll(parsed), DescribeAll(modelled));
  EXPECT_GT(parsed.count(), 1000u);
  EXPECT_EQ(mismatches.count(), 0);
}

TEST(ScanfEquivalenceTest, AddressOrder) {
  Mismatches mismatches;
  const auto compare = [&](const std::string& a, const std::string& b) {
    const int got = CompareAddresses(a, b);
    const int sign = (got > 0) - (got < 0);
    const int want = model::AddressOrder(a, b);
    if (sign != want) mismatches.Add(Format("order of %s and %s: parser %i, model %i", Shown(a), Shown(b), got, want));
  };
  for (const auto& [a, b] : std::initializer_list<std::pair<std::string, std::string>>{
           {"1:2/9.0", "1:2/10.0"},
           {"1:2/3", "1:2/3.0"},
           {"1:2/3", "1:2/3.1"},
           {"010:1/1.1", "8:1/1.1"},
           {"0x10:1/1.1", "16:1/1.1"},
           {"08:1/1.1", "0:1/1.1"},
           {"09:2/1.1", "0:1/1.1"},
           {"2147483648:1/1.1", "-2147483648:1/1.1"},
           {"4294967296:1/1.1", "0:1/1.1"},
           {"99999999999999999999:1/1.1", "-1:1/1.1"},
           {"-99999999999999999999:1/1.1", "0:1/1.1"},
           {"1:2/3.4", " 1: 2/ 3. 4"},
           {"1:2/3.4", "1 :2/3.4"},
           {"1:2/0x.5", "1:2/0.5"},
           {"0x:5/1.1", "0:5/1.1"},
           {"", "0:0/0.0"},
       }) {
    compare(a, b);
    compare(b, a);
  }
  Random random(1042);
  for (int i = 0; i < fuzzing::Cases(100000); ++i) {
    const std::string a = Mutated(random, fuzzing::Address(random));
    const std::string b = random.OneIn(2) ? Mutated(random, a) : Mutated(random, fuzzing::Address(random));
    compare(a, b);
  }
  EXPECT_EQ(mismatches.count(), 0);
}

// Configuration values of the area keywords: EchoArea, NetArea / Ignore.Area and
// DeletedArea, in random order on one set.
TEST(ScanfEquivalenceTest, AreaKeywordValues) {
  AreaSet parsed;
  AreaSet modelled;
  Mismatches mismatches;
  static const char* const kPaths[] = {"C:\\Squish\\SuGen", "-0", "-$m200", "-0 -p", "D:\\Mail\\X-0", ""};
  static constexpr std::string_view kValueAlphabet = "0123456789 \t\v\f-0SUsu.;\x80\xA0";
  Random random(1500);
  for (int i = 0; i < fuzzing::Cases(30000); ++i) {
    const std::size_t keyword = random.Below(3);
    std::string value = fuzzing::AreaTag(random);
    if (random.OneIn(3)) value = std::string(fuzzing::Blanks(random)) + value;
    if (keyword == 2)
      value = (random.OneIn(4) ? fuzzing::NumberText(random) : std::to_string(random.Below(1000))) + " " + value;
    if (!random.OneIn(3)) value += std::string(" ") + random.Pick(kPaths);
    value = Mutated(random, value, kValueAlphabet);

    switch (keyword) {
      case 0:
        HandleEchoArea(parsed, value);
        model::EchoArea(modelled, value);
        break;
      case 1:
        HandleIgnoreArea(parsed, value);
        model::IgnoreArea(modelled, value);
        break;
      default:
        HandleDeletedArea(parsed, value);
        model::DeletedArea(modelled, value);
        break;
    }
    const std::optional<std::string> tag = keyword == 2 ? model::DeletedAreaTag(value) : model::FirstWordTag(value);
    if (parsed.count() != modelled.count() || (tag && !Same(parsed.Find(*tag), modelled.Find(*tag)))) {
      static const char* const kKeywords[] = {"EchoArea", "Ignore.Area", "DeletedArea"};
      mismatches.Add(Format("%s %s:\n  handler: %s (%u areas)\n  model:   %s (%u areas)", kKeywords[keyword],
                            Shown(value), Describe(tag ? parsed.Find(*tag) : nullptr), parsed.count(),
                            Describe(tag ? modelled.Find(*tag) : nullptr), modelled.count()));
      parsed = modelled;
    }
  }
  EXPECT_EQ(DescribeAll(parsed), DescribeAll(modelled));
  EXPECT_EQ(mismatches.count(), 0);
}

// ---- The reporting period ------------------------------------------------------------

// Noon of 5 July 2002 and of 15 January 2002 in Moscow (daylight-saving and standard time).
const std::int64_t kJuly5 = CivilSeconds(2002, 6, 5, 8, 0, 0);
const std::int64_t kJanuary15 = CivilSeconds(2002, 0, 15, 9, 0, 0);

// A log line stamped near the given day (month 0..11 of 2002), then some text.
std::string StampedLine(Random& random, int month, int day, std::string_view text) {
  static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  static const char* const kOddMonths[] = {"jul", "JUL", "Ju", "July", "Xyz", "J", "jan", "DEC"};
  static const char* const kYears[] = {"02", "02", "02", "02", "2", "002", "01", "03", "102", "-98", "4294967198"};
  const int shown_month = random.OneIn(6) ? (month + 11 + static_cast<int>(random.Below(3))) % 12 : month;
  const char* month_name = random.OneIn(20) ? random.Pick(kOddMonths) : kMonths[shown_month];
  const auto field = [&](long value) { return Format(random.OneIn(5) ? "%ld" : "%02ld", value); };
  const auto gap = [&]() { return random.OneIn(5) ? std::string(fuzzing::Blanks(random)) : std::string(" "); };
  return field(day - 3 + static_cast<long>(random.Below(6))) + gap() + month_name + gap() + random.Pick(kYears) +
         (random.OneIn(5) ? gap() : std::string("  ")) + field(static_cast<long>(random.Below(25))) + ":" +
         field(static_cast<long>(random.Below(61))) + ":" + field(static_cast<long>(random.Below(61))) + " " +
         std::string(text);
}

struct Today {
  const char* zone;
  std::int64_t now;
  int month;
  int day;
};

const Today kDays[] = {{"UTC", kJuly5, 6, 5}, {"Europe/Moscow", kJuly5, 6, 5}, {"Europe/Moscow", kJanuary15, 0, 15}};

TEST(ScanfEquivalenceTest, LogLineStampFilter) {
  Mismatches mismatches;
  for (const Today& today : kDays) {
    const ScopedTimeZone zone(today.zone);
    for (const char* window : {"1,00:00 0,00:00", "3,06:30 0,18:00"}) {
      ReportPeriod period([&] { return today.now; });
      ASSERT_EQ(period.HandlePeriod(window), nullptr);
      Random random(static_cast<std::uint64_t>(today.now) + window[0]);
      int inside = 0;
      for (int i = 0; i < fuzzing::Cases(3000); ++i) {
        const std::string line = Mutated(random, StampedLine(random, today.month, today.day, "text\n"));
        const bool got = period.Contains(line);
        const bool want = model::StampInside(line, period.start(), period.end());
        inside += want;
        if (got != want) {
          mismatches.Add(Format("%s, %s, window %s: %s is %s for the filter, %s for the model", today.zone,
                                Shown(period.DisplayText()), window, Shown(line), got ? "inside" : "outside",
                                want ? "inside" : "outside"));
        }
      }
      // The stamps lie around the window.
      EXPECT_GT(inside, fuzzing::Cases(3000) / 60) << today.zone << " " << window;
    }
  }
  EXPECT_EQ(mismatches.count(), 0);
}

TEST(ScanfEquivalenceTest, PeriodValues) {
  Mismatches mismatches;
  static constexpr std::string_view kPeriodAlphabet = "0123456789 \t,:,:-+x";
  static const char* const kDaysBack[] = {"0", "1", "2", "5", "10", "31", "40", "400"};
  for (const Today& today : kDays) {
    const ScopedTimeZone zone(today.zone);
    ReportPeriod period([&] { return today.now; });
    Random random(static_cast<std::uint64_t>(today.now));
    for (int i = 0; i < fuzzing::Cases(1000); ++i) {
      const auto number = [&](std::size_t below) {
        return random.OneIn(8) ? fuzzing::NumberText(random) : std::to_string(random.Below(below));
      };
      const auto end = [&] {
        return (random.OneIn(2) ? std::string(random.Pick(kDaysBack)) : number(3)) + "," + number(26) + ":" +
               number(62);
      };
      const std::string value = Mutated(random, end() + std::string(fuzzing::Blanks(random)) + end(), kPeriodAlphabet);

      const std::int64_t old_start = period.start();
      const std::int64_t old_end = period.end();
      const std::string old_display(period.DisplayText());
      const bool accepted = period.HandlePeriod(value) == nullptr;
      const std::optional<model::Window> want = model::PeriodWindow(value, today.now);
      // A refused value leaves the window and its text as they were.
      const model::Window expected = want ? *want : model::Window{old_start, old_end, old_display};
      if (accepted != want.has_value() || period.start() != expected.start || period.end() != expected.end ||
          period.DisplayText() != expected.display) {
        mismatches.Add(Format("%s: Period %s: handler %s %li..%li %s, model %s %li..%li %s", today.zone, Shown(value),
                              accepted ? "accepts" : "refuses", period.start(), period.end(),
                              Shown(period.DisplayText()), want ? "accepts" : "refuses", expected.start, expected.end,
                              Shown(expected.display)));
      }
    }
  }
  EXPECT_EQ(mismatches.count(), 0);
}

// Whole log lines on the driver's road: the stamp filter, the text after the stamp (at
// 20, or at 25 behind a "[xx]" tag), the area parser and then the link parser.
TEST(ScanfEquivalenceTest, WholeLogLines) {
  Mismatches mismatches;
  const ScopedTimeZone zone("Europe/Moscow");
  ReportPeriod period([] { return kJuly5; });
  ASSERT_EQ(period.HandlePeriod("2,00:00 0,00:00"), nullptr);
  const auto text_of = [](const std::string& line) {
    const std::size_t offset = line.size() > 23 && line[20] == '[' && line[23] == ']' ? 25 : 20;
    return offset < line.size() ? line.substr(offset) : std::string();
  };
  AreaSet parsed_areas, modelled_areas;
  LinkSet parsed_links, modelled_links;
  Random random(249);
  int roads[4] = {0, 0, 0, 0};
  for (int i = 0; i < fuzzing::Cases(12000); ++i) {
    std::string text = random.OneIn(2) ? fuzzing::AreaText(random) : fuzzing::LinkText(random);
    if (random.OneIn(4)) text = std::string{'[', random.CharOf("AB1 "), random.CharOf("AB1 "), ']', ' '} + text;
    // Mostly well-formed stamps, so that most lines reach the parsers.
    std::string line = StampedLine(random, 6, 5, "");
    if (random.OneIn(2))
      line = Format("%02u Jul 02  %02u:%02u:%02u ", 3 + static_cast<unsigned>(random.Below(3)),
                    static_cast<unsigned>(random.Below(24)), static_cast<unsigned>(random.Below(60)),
                    static_cast<unsigned>(random.Below(60)));
    line = Mutated(random, line + text);

    int got = 0;
    if (period.Contains(line)) {
      const std::string part = text_of(line);
      got = ParseAreaLine(parsed_areas, part) ? 2 : ParseLinkLine(parsed_links, part) ? 3 : 1;
    }
    int want = 0;
    if (model::StampInside(line, period.start(), period.end())) {
      const std::string part = text_of(line);
      want = ModelAreaLine(modelled_areas, part) ? 2 : ModelLinkLine(modelled_links, part) ? 3 : 1;
    }
    ++roads[want];
    if (got != want) {
      static const char* const kKinds[] = {"outside", "another line", "an area line", "a link line"};
      mismatches.Add(Format("%s is %s for the program, %s for the model", Shown(line), kKinds[got], kKinds[want]));
    }
  }
  EXPECT_EQ(DescribeAll(parsed_areas), DescribeAll(modelled_areas));
  EXPECT_EQ(DescribeAll(parsed_links), DescribeAll(modelled_links));
  // Every road is taken often.
  for (const int taken : roads) EXPECT_GT(taken, fuzzing::Cases(12000) / 50);
  EXPECT_EQ(mismatches.count(), 0);
}

}  // namespace
}  // namespace kestrum
