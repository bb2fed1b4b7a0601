// End-to-end tests of the reporting period in real time zones: each end of the window
// and each log stamp is read with the offset that the zone gives for its own date, across
// both changes of the clock. The period header is compared byte for byte and the lines
// counted are read back from the Debug file of area lines.
#include <ostream>
#include <string>
#include <vector>

#include "e2e_support.h"

namespace kestrum::e2e {
namespace {

struct PeriodCase {
  const char* name;
  // Why kestrum.exe cannot read this case as the zone's rules say, or null: the Windows
  // C runtime reads every date by the rule its zone has in the year of the run.
  const char* not_on_windows;
  const char* tz;
  const char* now;                   // the pinned clock, local time of tz
  const char* period;                // the Period value
  const char* display;               // the window as the header shows it (40 characters)
  std::vector<std::string> inside;   // stamps that are counted
  std::vector<std::string> outside;  // stamps that are not
};

void PrintTo(const PeriodCase& c, std::ostream* out) { *out << c.name; }

// The period header of a report file around a display text, in UTF-8.
std::string Header(std::string_view display) {
  const std::string margin(18, ' ');
  return (margin + "╔════════════════════════════════════════╗\n" + margin +
          "║           Отчётный период:             ║\n" + margin + "╠════════════════════════════════════════╣\n" +
          margin + "║" + std::string(display) + "║\n" + margin + "╚════════════════════════════════════════╝\n\n");
}

class PeriodTest : public E2eTest, public ::testing::WithParamInterface<PeriodCase> {};

TEST_P(PeriodTest, WindowEndsAndStampsTakeTheOffsetOfTheirOwnDate) {
  const PeriodCase& c = GetParam();
  if (c.not_on_windows != nullptr) KESTRUM_SKIP_ON_WINDOWS(c.not_on_windows);
  WriteText("k.cfg", std::string("Tovark.Log tosser.log\nSquish.Cfg squish.cfg\nPeriod ") + c.period +
                         "\nDebug Yes\nOut.File.Name r.rep A\n");
  WriteText("squish.cfg", "");
  // One area a stamp, so that each counted line can be told by its area.
  std::string log;
  std::string expected;
  int n = 0;
  for (const auto* stamps : {&c.inside, &c.outside}) {
    for (const std::string& stamp : *stamps) {
      const std::string line = "SU.S" + std::to_string(++n) + ": sent - 1\n";
      log += stamp + " " + line;
      if (stamps == &c.inside) expected += line;
    }
  }
  WriteText("tosser.log", log);

  const RunResult run = Run({"-c", "k.cfg"}, c.now, c.tz);
  EXPECT_EQ(run.status, 0) << run.out;
  const std::string header = Cp866File(Header(c.display));
  EXPECT_EQ(ReadRaw("r.rep").substr(0, header.size()), header);
  EXPECT_EQ(ReadRaw("f1.txt"), Cp866File(expected));
}

const PeriodCase kCases[] = {
    {"Utc",
     nullptr,
     "UTC",
     "2026-12-10 12:00:00",
     "1,00:00 0,00:00",
     "c  0:00:00  9/12/26 по  0:00:00 10/12/26",
     {"09 Dec 26  00:00:00", "10 Dec 26  00:00:59", "09 Dec 26  12:00:00"},
     {"08 Dec 26  23:59:00", "10 Dec 26  00:01:00", "10 Dec 26  01:00:00"}},
    {"MoscowToday",
     nullptr,
     "Europe/Moscow",
     "2026-12-10 12:00:00",
     "1,00:00 0,00:00",
     "c  0:00:00  9/12/26 по  0:00:00 10/12/26",
     {"09 Dec 26  00:00:00", "10 Dec 26  00:00:59"},
     {"08 Dec 26  23:59:00", "10 Dec 26  00:01:00"}},
    {"MoscowSummer2002",
     nullptr,
     "Europe/Moscow",
     "2002-07-05 12:00:00",
     "1,00:00 0,00:00",
     "c  0:00:00  4/07/02 по  0:00:00  5/07/02",
     {"04 Jul 02  00:00:00", "05 Jul 02  00:00:59"},
     {"03 Jul 02  23:59:00", "05 Jul 02  00:01:00"}},
    {"MoscowWinter2002",
     nullptr,
     "Europe/Moscow",
     "2002-01-15 12:00:00",
     "1,00:00 0,00:00",
     "c  0:00:00 14/01/02 по  0:00:00 15/01/02",
     {"14 Jan 02  00:00:00", "15 Jan 02  00:00:59"},
     {"13 Jan 02  23:59:00", "15 Jan 02  00:01:00", "15 Jan 02  01:00:00"}},
    // 31 March 2002: 02:00 to 03:00 did not occur; 02:30 is read as winter time.
    {"MoscowSpring2002",
     nullptr,
     "Europe/Moscow",
     "2002-03-31 12:00:00",
     "1,00:00 0,02:30",
     "c  0:00:00 30/03/02 по  3:30:00 31/03/02",
     {"30 Mar 02  00:00:00", "31 Mar 02  01:59:00", "31 Mar 02  02:30:00", "31 Mar 02  03:30:00"},
     {"29 Mar 02  23:59:00", "31 Mar 02  02:31:00", "31 Mar 02  03:31:00"}},
    // 27 October 2002: 02:00 to 03:00 occurred twice; it is the summer-time hour.
    {"MoscowAutumn2002",
     nullptr,
     "Europe/Moscow",
     "2002-10-27 12:00:00",
     "0,02:30 0,03:00",
     "c  2:30:00 27/10/02 по  3:00:00 27/10/02",
     {"27 Oct 02  02:30:00", "27 Oct 02  02:59:00", "27 Oct 02  03:00:00"},
     {"27 Oct 02  02:29:00", "27 Oct 02  03:01:00"}},
    {"BerlinWinter",
     nullptr,
     "Europe/Berlin",
     "2026-01-15 12:00:00",
     "1,00:00 0,00:00",
     "c  0:00:00 14/01/26 по  0:00:00 15/01/26",
     {"14 Jan 26  00:00:00", "15 Jan 26  00:00:59"},
     {"13 Jan 26  23:59:00", "15 Jan 26  00:01:00"}},
    // The day after the clocks went back: 25 hours, from summer time to winter time.
    {"BerlinAutumn",
     nullptr,
     "Europe/Berlin",
     "2026-10-26 12:00:00",
     "1,00:00 0,00:00",
     "c  0:00:00 25/10/26 по  0:00:00 26/10/26",
     {"25 Oct 26  00:00:00", "25 Oct 26  02:30:00", "25 Oct 26  23:59:00", "26 Oct 26  00:00:59"},
     {"24 Oct 26  23:59:00", "26 Oct 26  00:01:00"}},
    {"BerlinSpring",
     nullptr,
     "Europe/Berlin",
     "2026-03-29 12:00:00",
     "0,00:00 0,02:30",
     "c  0:00:00 29/03/26 по  3:30:00 29/03/26",
     {"29 Mar 26  00:00:00", "29 Mar 26  02:30:00", "29 Mar 26  03:30:00"},
     {"28 Mar 26  23:59:00", "29 Mar 26  03:31:00"}},
    // Dublin's winter is its daylight-saving time: both seasons read the same way.
    {"DublinWinter",
     nullptr,
     "Europe/Dublin",
     "2026-01-15 12:00:00",
     "1,00:00 0,00:00",
     "c  0:00:00 14/01/26 по  0:00:00 15/01/26",
     {"14 Jan 26  00:00:00", "15 Jan 26  00:00:59"},
     {"13 Jan 26  23:59:00", "15 Jan 26  00:01:00"}},
    {"DublinSummer",
     nullptr,
     "Europe/Dublin",
     "2026-07-15 12:00:00",
     "1,00:00 0,00:00",
     "c  0:00:00 14/07/26 по  0:00:00 15/07/26",
     {"14 Jul 26  00:00:00", "15 Jul 26  00:00:59"},
     {"13 Jul 26  23:59:00", "15 Jul 26  00:01:00"}},
    // 27 March 2011: Moscow went to summer time and stayed there, so 30 October 2011 had
    // no change of the clock.
    {"Moscow2011NoAutumnChange",
     nullptr,
     "Europe/Moscow",
     "2011-10-31 12:00:00",
     "1,00:00 0,00:00",
     "c  0:00:00 30/10/11 по  0:00:00 31/10/11",
     {"30 Oct 11  00:00:00", "30 Oct 11  02:30:00", "30 Oct 11  23:59:00", "31 Oct 11  00:00:59"},
     {"29 Oct 11  23:59:00", "31 Oct 11  00:01:00"}},
    // The spring of that change: 02:00 to 03:00 did not occur.
    {"Moscow2011LastSpringChange",
     nullptr,
     "Europe/Moscow",
     "2011-03-28 12:00:00",
     "2,00:00 0,02:30",
     "c  0:00:00 26/03/11 по  2:30:00 28/03/11",
     {"26 Mar 11  00:00:00", "27 Mar 11  01:59:00", "27 Mar 11  02:30:00", "27 Mar 11  03:30:00",
      "28 Mar 11  02:30:59"},
     {"25 Mar 11  23:59:00", "28 Mar 11  02:31:00"}},
    // 26 October 2014: Moscow left summer time for good, setting the clock back from
    // 02:00 to 01:00; the hour from 01:00 occurred twice and is read as the first one.
    {"Moscow2014BackForGood",
     nullptr,
     "Europe/Moscow",
     "2014-10-26 12:00:00",
     "0,01:30 0,02:00",
     "c  1:30:00 26/10/14 по  2:00:00 26/10/14",
     {"26 Oct 14  01:30:00", "26 Oct 14  01:59:00", "26 Oct 14  02:00:00"},
     {"26 Oct 14  01:29:00", "26 Oct 14  02:01:00"}},
    // Long before the run: Moscow kept summer time until 2011, so on 28 March 2010 the
    // hour from 02:00 did not occur and 02:30 is 03:30 summer time.
    {"Moscow2010SpringSeenFrom2026",
     "Windows reads 2010 by Moscow's rule of the year of the run, which has no summer time",
     "Europe/Moscow",
     "2026-01-15 12:00:00",
     "5772,00:00 5772,02:30",
     "c  0:00:00 28/03/10 по  3:30:00 28/03/10",
     {"28 Mar 10  00:00:00", "28 Mar 10  01:59:00", "28 Mar 10  03:15:00", "28 Mar 10  03:30:00"},
     {"27 Mar 10  23:59:00", "28 Mar 10  03:31:00"}},
    // A zone written as the Windows C runtime reads TZ, which POSIX systems read alike.
    {"RuntimeFormHalfHour",
     nullptr,
     "IST-5:30",
     "2026-12-10 12:00:00",
     "1,00:00 0,00:00",
     "c  0:00:00  9/12/26 по  0:00:00 10/12/26",
     {"09 Dec 26  00:00:00", "10 Dec 26  00:00:59"},
     {"08 Dec 26  23:59:00", "10 Dec 26  00:01:00"}},
    // UT+10:30 in its summer, UT+9:30 in winter.
    {"AdelaideHalfHour",
     nullptr,
     "Australia/Adelaide",
     "2026-12-10 12:00:00",
     "1,00:00 0,00:00",
     "c  0:00:00  9/12/26 по  0:00:00 10/12/26",
     {"09 Dec 26  00:00:00", "10 Dec 26  00:00:59"},
     {"08 Dec 26  23:59:00", "10 Dec 26  00:01:00"}},
};

INSTANTIATE_TEST_SUITE_P(Zones, PeriodTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<PeriodCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kestrum::e2e
