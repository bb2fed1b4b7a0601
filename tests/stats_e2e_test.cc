// End-to-end test of the statistics: a mixed log with Debug on, checked through the
// three Debug files and the four line counts.
#include "e2e_support.h"

namespace kestrum::e2e {
namespace {

class StatsTest : public E2eTest {};

TEST_F(StatsTest, DebugFilesSortTheLinesOfThePeriod) {
  WriteText("k.cfg", "Tovark.Log tosser.log\nSquish.Cfg squish.cfg\nPeriod 1,00:00 0,00:00\nDebug Yes\n");
  WriteText("squish.cfg", "EchoArea SU.GENERAL C:\\Squish\\SuGen\n");
  WriteText("tosser.log",
            "03 Jul 02  23:59:00 SU.GENERAL: toss - 5 (100 bytes)\n"
            "04 Jul 02  00:00:00 SU.GENERAL: toss - 12 (34567 bytes), dupes - 1, sent - 10\n"
            "04 Jul 02  10:00:00 [ab] RU.LINUX: sent - 3\n"
            "04 Jul 02  10:01:00 [Inbound] 0000ABCD.PKT (1234 bytes) from 2:5020/52.0\n"
            "04 Jul 02  10:02:00 Sent to 2:5020/77.0 - 5678\n"
            "04 Jul 02  10:03:00 Tossing mail...\n"
            "04 Jul 02  10:04:00 total: sent - 5\n"
            "05 Jul 02  00:00:59 Real message from 2:5020/77.0\n"
            "05 Jul 02  00:01:00 SU.GENERAL: dupes - 4\n"
            "\n"
            "04 Jul 02  12:00:00\n");
  const RunResult run = Run({"-c", "k.cfg"}, "2002-07-05 12:00:00", "Europe/Moscow");
  EXPECT_EQ(run.out, std::string(kBanner) +
                         "Parsing k.cfg... Done.\nParsing tosser.log... Done.\nWriting output files... Done.\n" +
                         Cp866("Всего из лога прочитано  11 строк\n"
                               "Попало в заданный период 8 строк\n"
                               "Содержали информацию об эхах  2 строк\n"
                               "Содержали информацию о линках 3 строк\n"));
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(ReadRaw("f1.txt"),
            "SU.GENERAL: toss - 12 (34567 bytes), dupes - 1, sent - 10\r\n"
            "RU.LINUX: sent - 3\r\n");
  EXPECT_EQ(ReadRaw("f2.txt"),
            "[Inbound] 0000ABCD.PKT (1234 bytes) from 2:5020/52.0\r\n"
            "Sent to 2:5020/77.0 - 5678\r\n"
            "Real message from 2:5020/77.0\r\n");
  EXPECT_EQ(ReadRaw("f3.txt"),
            "04 Jul 02  10:03:00 Tossing mail...\r\n"
            "04 Jul 02  10:04:00 total: sent - 5\r\n"
            "04 Jul 02  12:00:00\r\n");
}

}  // namespace
}  // namespace kestrum::e2e
