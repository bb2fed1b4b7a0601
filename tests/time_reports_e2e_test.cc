// End-to-end tests of the reports of days (C) and hours (H): whole tables across Berlin's
// clock changes, the days a window of any length shows, and on random logs the one rule
// that holds whatever a log holds: both total rows equal the total row of report A.
#include <random>
#include <string>
#include <vector>

#include "e2e_support.h"

namespace kestrum::e2e {
namespace {

constexpr std::string_view kFooter = "\nKestrum, ver. 0.1.2/W32\n(c) The Kestrum developers\n";

std::string Header(std::string_view display) {
  const std::string margin(18, ' ');
  return margin + "╔════════════════════════════════════════╗\n" + margin +
         "║           Отчётный период:             ║\n" + margin + "╠════════════════════════════════════════╣\n" +
         margin + "║" + std::string(display) + "║\n" + margin + "╚════════════════════════════════════════╝\n\n";
}

// A bar of the given length in a bar column of the given width.
std::string Bar(std::size_t length, std::size_t width) {
  std::string bar;
  for (std::size_t i = 0; i < length; ++i) bar += "▄";
  return bar + std::string(width - length, ' ') + "║\n";
}

// The 24 rows of an H table without traffic but in the hours given: each the cells after
// the hour's and its bar's length. The bar column is 47 characters wide.
struct BusyHour {
  int hour;
  const char* cells;
  std::size_t bar;
};
std::string HourRows(const std::vector<BusyHour>& busy) {
  std::string rows;
  for (int hour = 0; hour < 24; ++hour) {
    std::string rest = "    0║     0.0║ 0.0║" + Bar(0, 47);
    for (const BusyHour& b : busy) {
      if (b.hour == hour) rest = std::string(b.cells) + Bar(b.bar, 47);
    }
    rows += "║" + std::string(hour < 10 ? "0" : "") + std::to_string(hour) + ":00    ║" + rest;
  }
  return rows;
}

class TimeReportsTest : public E2eTest {
 protected:
  void Configure(std::string_view period, std::string_view letters, std::string_view log, std::string_view extra = "") {
    WriteText("k.cfg", "Tovark.Log tosser.log\nSquish.Cfg squish.cfg\nPeriod " + std::string(period) +
                           "\nIgnore.Area SU.FLAME\nOut.File.Name r.rep " + std::string(letters) + "\n" +
                           std::string(extra));
    WriteText("squish.cfg", "EchoArea SU.A C:\\A\nEchoArea SU.FLAME C:\\F\n");
    WriteText("tosser.log", log);
  }
};

struct ClockChangeCase {
  const char* name;
  const char* now;
  const char* period;
  const char* log;
  const char* display;
  std::string expected;  // the C and H tables
};

void PrintTo(const ClockChangeCase& c, std::ostream* out) { *out << c.name; }

class ClockChangeTest : public TimeReportsTest, public ::testing::WithParamInterface<ClockChangeCase> {};

TEST_P(ClockChangeTest, DaysAndHoursFollowTheZone) {
  const ClockChangeCase& c = GetParam();
  Configure(c.period, "CH", c.log);
  const RunResult run = Run({"-c", "k.cfg"}, c.now, "Europe/Berlin");
  EXPECT_EQ(run.status, 0) << run.out;
  EXPECT_EQ(ReadRaw("r.rep"), Cp866File(Header(c.display) + c.expected + "\n" + std::string(kFooter)));
}

const ClockChangeCase kClockChanges[] = {
    // 29 March 2026 has 23 hours: 02:00 to 03:00 did not occur, so a stamp written in it
    // stands for an instant after 03:00. 30 March has no traffic; ignored areas and
    // link lines count nowhere.
    {"SpringForward", "2026-03-31 12:00:00", "3,00:00 0,00:00",
     "28 Mar 26  10:00:00 SU.A: toss - 3 (3072 bytes), dupes - 1\n"
     "29 Mar 26  01:59:00 SU.A: toss - 2 (2048 bytes)\n"
     "29 Mar 26  02:30:00 SU.A: toss - 5 (1024 bytes), sent - 4\n"
     "29 Mar 26  03:00:00 su.b: toss - 1 (1024 bytes)\n"
     "29 Mar 26  04:00:00 SU.FLAME: toss - 50 (99999 bytes)\n"
     "29 Mar 26  04:00:00 [Inbound] 0000ABCD.PKT (100 bytes) from 2:5020/52.0\n",
     "c  0:00:00 28/03/26 по  0:00:00 31/03/26",
     "╔═════════════╦═════╦════════╦═════╦═════╦════════════════════════════════════╗\n"
     "║По дням:     ║ Imp ║   kb   ║ Exp ║ Dup ║                                    ║\n"
     "╠═════════════╬═════╬════════╬═════╬═════╬════════════════════════════════════╣\n"
     "║Сб 28/03/26  ║    3║     3.0║    0║    1║" +
         Bar(13, 36) + "║Вс 29/03/26  ║    8║     4.0║    4║    0║" + Bar(36, 36) +
         "║Пн 30/03/26  ║    0║     0.0║    0║    0║" + Bar(0, 36) +
         "╠═════════════╬═════╬════════╬═════╬═════╬════════════════════════════════════╣\n"
         "║Всего дней: 3║   11║     7.0║    4║    1║                                    ║\n"
         "╚═════════════╩═════╩════════╩═════╩═════╩════════════════════════════════════╝\n"
         "\n"
         "╔═════════╦═════╦════════╦════╦═══════════════════════════════════════════════╗\n"
         "║По часам:║ Imp ║   kb   ║ %% ║                                               ║\n"
         "╠═════════╬═════╬════════╬════╬═══════════════════════════════════════════════╣\n" +
         HourRows(
             {{1, "    2║     2.0║18.2║", 15}, {3, "    6║     2.0║54.5║", 47}, {10, "    3║     3.0║27.3║", 23}}) +
         "╠═════════╬═════╬════════╬════╬═══════════════════════════════════════════════╣\n"
         "║Всего:   ║   11║     7.0║100%║                                               ║\n"
         "╚═════════╩═════╩════════╩════╩═══════════════════════════════════════════════╝\n"},
    // 25 October 2026 has 25 hours: 02:00 to 03:00 occurred twice, and both are one row.
    // A line stamped at the window's end, midnight, is the day's last.
    {"FallBack", "2026-10-26 12:00:00", "1,00:00 0,00:00",
     "25 Oct 26  02:30:00 SU.A: toss - 1 (1024 bytes)\n"
     "25 Oct 26  02:10:00 SU.A: toss - 2 (1024 bytes)\n"
     "25 Oct 26  23:59:00 SU.A: toss - 4 (1024 bytes)\n"
     "26 Oct 26  00:00:30 SU.A: toss - 8 (1024 bytes)\n"
     "26 Oct 26  00:01:00 SU.A: toss - 16 (1024 bytes)\n",
     "c  0:00:00 25/10/26 по  0:00:00 26/10/26",
     "╔═════════════╦═════╦════════╦═════╦═════╦════════════════════════════════════╗\n"
     "║По дням:     ║ Imp ║   kb   ║ Exp ║ Dup ║                                    ║\n"
     "╠═════════════╬═════╬════════╬═════╬═════╬════════════════════════════════════╣\n"
     "║Вс 25/10/26  ║   15║     4.0║    0║    0║" +
         Bar(36, 36) +
         "╠═════════════╬═════╬════════╬═════╬═════╬════════════════════════════════════╣\n"
         "║Всего дней: 1║   15║     4.0║    0║    0║                                    ║\n"
         "╚═════════════╩═════╩════════╩═════╩═════╩════════════════════════════════════╝\n"
         "\n"
         "╔═════════╦═════╦════════╦════╦═══════════════════════════════════════════════╗\n"
         "║По часам:║ Imp ║   kb   ║ %% ║                                               ║\n"
         "╠═════════╬═════╬════════╬════╬═══════════════════════════════════════════════╣\n" +
         HourRows(
             {{0, "    8║     1.0║53.3║", 47}, {2, "    3║     2.0║20.0║", 17}, {23, "    4║     1.0║26.7║", 23}}) +
         "╠═════════╬═════╬════════╬════╬═══════════════════════════════════════════════╣\n"
         "║Всего:   ║   15║     4.0║100%║                                               ║\n"
         "╚═════════╩═════╩════════╩════╩═══════════════════════════════════════════════╝\n"},
};

INSTANTIATE_TEST_SUITE_P(Berlin, ClockChangeTest, ::testing::ValuesIn(kClockChanges),
                         [](const ::testing::TestParamInfo<ClockChangeCase>& info) {
                           return std::string(info.param.name);
                         });

// The cells of the report's first line holding the text, trimmed; none when no line does.
std::vector<std::string> CellsOf(const std::string& report, std::string_view text) {
  const std::string wanted = Cp866(text);
  const std::size_t at = report.find(wanted);
  if (at == std::string::npos) return {};
  const std::size_t begin = report.rfind('\n', at) + 1;
  const std::string line = report.substr(begin, report.find('\r', at) - begin);
  std::vector<std::string> cells;
  const char bar = Cp866("║")[0];
  for (std::size_t from = line.find(bar); from != std::string::npos && from + 1 < line.size();) {
    const std::size_t to = line.find(bar, from + 1);
    if (to == std::string::npos) break;
    std::string cell = line.substr(from + 1, to - from - 1);
    cell.erase(0, cell.find_first_not_of(' '));
    cell.erase(cell.find_last_not_of(' ') + 1);
    cells.push_back(cell);
    from = to;
  }
  return cells;
}

TEST_F(TimeReportsTest, AWindowOfAnyLengthShowsItsDays) {
  struct Case {
    const char* period;
    const char* log;
    const char* first_day;  // the first row's cell
    const char* last_day;
    const char* rows;            // the total row's first cell
    const char* imported = "0";  // and its second
    const char* tz = "UTC";
    const char* now = "2026-12-10 12:00:00";
  };
  const Case cases[] = {
      {"1,00:00 0,00:00", "", "Ср  9/12/26", "Ср  9/12/26", "Всего дней: 1"},
      // The usual monthly period, to the end of today, with empty days at both ends.
      {"31,00:00 0,24:00", "20 Nov 26  10:00:00 SU.A: toss - 3 (30 bytes)\n", "Пн  9/11/26", "Чт 10/12/26",
       "Всего дней: 32", "3"},
      {"365,00:00 0,24:00", "", "Ср 10/12/25", "Чт 10/12/26", "Всего дней: 366"},
      // "All of it": the rows start at the first line taken, and without one they are
      // the window's last 366 days.
      {"99999,00:00 0,00:00", "03 Dec 26  10:00:00 SU.A: sent - 1\n01 Dec 26  10:00:00 SU.A: sent - 1\n", "Вт  1/12/26",
       "Ср  9/12/26", "Всего дней: 9"},
      {"99999,00:00 0,00:00", "", "Вт  9/12/25", "Ср  9/12/26", "Всего дней: 366"},
      // A day number that wraps round to a day of 1861: the table keeps to its bound, the
      // latest days, the first of them holding the days before.
      {"99999,00:00 0,00:00",
       "4294907295 Jan 26  10:00:00 SU.A: sent - 1\n1Jan4294967200 0:0:0SU.A: toss - 5 (5000 bytes)\n"
       "01 Dec 26  10:00:00 SU.A: toss - 1 (1000 bytes)\n",
       "до  5/06/-83", "Ср  9/12/26", "Всего дней: 40000", "6"},
      // Havana sets the clock forward at midnight: 0:00 of 8 March is read as 1:00, and
      // yesterday is still one day, a line stamped at its end counted in it.
      {"1,00:00 0,00:00", "08 Mar 26  00:00:30 SU.A: toss - 2 (2 bytes)\n", "Сб  7/03/26", "Сб  7/03/26",
       "Всего дней: 1", "2", "America/Havana", "2026-03-08 12:00:00"},
  };
  for (const Case& c : cases) {
    Configure(c.period, "C", c.log);
    const RunResult run = Run({"-c", "k.cfg"}, c.now, c.tz);
    ASSERT_EQ(run.status, 0) << run.out;
    // The rows lie between the two inner borders.
    const std::string report = ReadRaw("r.rep");
    const std::string border = Cp866("╠");
    const std::size_t rows_begin = report.find('\n', report.find(border, report.find(Cp866("По дням")))) + 1;
    const std::size_t rows_end = report.rfind('\n', report.find(border, rows_begin));
    const std::string first_row = report.substr(rows_begin, report.find('\n', rows_begin) - rows_begin);
    const std::string last_row = report.substr(report.rfind('\n', rows_end - 1) + 1, rows_end);
    EXPECT_NE(first_row.find(Cp866(std::string("║") + c.first_day)), std::string::npos) << c.period;
    EXPECT_NE(last_row.find(Cp866(std::string("║") + c.last_day)), std::string::npos) << c.period;
    const std::vector<std::string> total = CellsOf(report, "Всего дней");
    ASSERT_FALSE(total.empty()) << c.period;
    EXPECT_EQ(total[0], Cp866(c.rows)) << c.period;
    EXPECT_EQ(total[1], c.imported) << c.period;
  }
}

// A random log of every line form around a window over one of Berlin's clock changes:
// areas declared, pass-through, ignored, deleted and unknown, in changing letter case;
// areas with bytes but no messages, which the area reports list nowhere; stamps in the
// skipped or the repeated hour, at the window's very end, and written loosely.
std::string RandomLog(std::mt19937& random, bool spring) {
  const auto pick = [&](std::size_t n) { return static_cast<std::size_t>(random() % n); };
  const char* const tags[] = {"SU.A", "su.a", "SU.PASS", "SU.FLAME", "SU.OLD", "XX.NEW", "xx.new", "YY.BYTES", "Total"};
  const char* const days_spring[] = {"27 Mar 26", "28 Mar 26", "29 Mar 26", "30 Mar 26"};
  const char* const days_fall[] = {"23 Oct 26", "24 Oct 26", "25 Oct 26", "26 Oct 26"};
  std::string log;
  const std::size_t lines = 50 + pick(400);
  for (std::size_t i = 0; i < lines; ++i) {
    const char* const day = (spring ? days_spring : days_fall)[pick(4)];
    char stamp[32];
    const std::size_t hour = pick(6) == 0 ? 2 : pick(24);
    if (pick(15) == 0) {
      std::snprintf(stamp, sizeof stamp, "%s  %zu:%zu:0", day, hour, pick(60));
    } else {
      std::snprintf(stamp, sizeof stamp, "%s  %02zu:%02zu:%02zu", day, hour, pick(60), pick(60));
    }
    std::string line = pick(20) == 0 ? std::string(day) + "  00:00:15" : std::string(stamp);
    line += pick(5) == 0 ? " [ab] " : " ";
    const std::string tag = tags[pick(9)];
    const std::string n = pick(30) == 0 ? "4294967295" : std::to_string(pick(50));
    const std::string bytes = std::to_string(pick(100000));
    switch (pick(8)) {
      case 0: line += tag + ": toss - " + n + " (" + bytes + " bytes), dupes - " + n + ", sent - 3"; break;
      case 1: line += tag + ": toss - " + n + " (" + bytes + " bytes)"; break;
      case 2: line += tag + ": toss - 0 (" + bytes + " bytes)"; break;
      case 3: line += tag + ": sent - " + n; break;
      case 4: line += tag + ": dupes - " + n; break;
      case 5: line += "YY.BYTES: toss - 0 (" + bytes + " bytes)"; break;
      case 6: line += "[Inbound] ABCD1234.PKT (" + bytes + " bytes) from 2:5020/1"; break;
      default: line += "Tossing mail..."; break;
    }
    log += line + "\n";
  }
  return log;
}

TEST_F(TimeReportsTest, OnRandomLogsTheTotalsOfDaysAndHoursAreThoseOfTheLiveAreas) {
  for (unsigned seed = 1; seed <= 12; ++seed) {
    std::mt19937 random(seed);
    const bool spring = seed % 2 == 0;
    const std::string extra = std::string("DeletedArea 1 SU.OLD\nShow.Deleted.Area ") + (random() % 2 ? "Yes" : "No") +
                              "\nShow.Unknown.Area " + (random() % 2 ? "Yes" : "No");
    Configure("3,00:00 0,00:00", "ACH", RandomLog(random, spring), extra + "\n");
    WriteText("squish.cfg", "EchoArea SU.A C:\\A\nEchoArea SU.PASS C:\\P -0\nEchoArea SU.FLAME C:\\F\n");
    const RunResult run = Run({"-c", "k.cfg"}, spring ? "2026-03-30 12:00:00" : "2026-10-26 12:00:00", "Europe/Berlin");
    ASSERT_EQ(run.status, 0) << run.out;
    const std::string report = ReadRaw("r.rep");
    const std::vector<std::string> areas = CellsOf(report, "эхам:");
    const std::vector<std::string> days = CellsOf(report, "Всего дней");
    const std::vector<std::string> hours = CellsOf(report, "Всего:");
    // Imported, kb, exported and dupes (an empty bar cell may follow).
    ASSERT_EQ(areas.size(), 6U) << seed;
    ASSERT_GE(days.size(), 5U) << seed;
    ASSERT_GE(hours.size(), 4U) << seed;
    EXPECT_EQ(days[0], Cp866("Всего дней: 3")) << seed;
    EXPECT_EQ(std::vector<std::string>(days.begin() + 1, days.begin() + 5),
              std::vector<std::string>(areas.begin() + 2, areas.end()))
        << seed;
    EXPECT_EQ(hours[1], areas[2]) << seed;
    EXPECT_EQ(hours[2], areas[3]) << seed;
  }
}

}  // namespace
}  // namespace kestrum::e2e
