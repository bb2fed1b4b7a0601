// End-to-end tests of failures a scheduler must see: a report file that cannot be
// written and a log that cannot be read give a message naming the file and a non-zero
// exit status, and the other report files are still written.
#include <filesystem>

#include "e2e_support.h"

namespace kestrum::e2e {
namespace {

class FailuresTest : public E2eTest {
 protected:
  void Configure(std::string_view log_name, std::string_view reports) {
    WriteText("k.cfg", "Tovark.Log " + std::string(log_name) + "\nSquish.Cfg squish.cfg\nPeriod 1,00:00 0,00:00\n" +
                           std::string(reports));
    WriteText("squish.cfg", "EchoArea SU.QUIET C:\\Q\n");
    WriteText("tosser.log", "");
  }
};

TEST_F(FailuresTest, AReportFileOnAFullDiskIsNamedAndFailsTheRun) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
  Configure("tosser.log", "Out.File.Name /dev/full A\nOut.File.Name dead.lst d\n");
  const RunResult run = Run({"-c", "k.cfg"}, "2002-07-05 12:00:00", "UTC");
  EXPECT_EQ(run.out, std::string(kBanner) +
                         "Parsing k.cfg... Done.\nParsing tosser.log... Done.\nWriting output files... Done.\n" +
                         Cp866("\nОшибка записи в файл /dev/full\n"));
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(ReadRaw("dead.lst"), "\r\nSu.Quiet\r\n");  // the other file is written all the same
}

TEST_F(FailuresTest, ALogThatCannotBeReadIsNamedAndWritesNoReports) {
  Configure("logdir", "Out.File.Name dead.lst d\n");
  std::filesystem::create_directory(Path("logdir"));
  const RunResult run = Run({"-c", "k.cfg"}, "2002-07-05 12:00:00", "UTC");
  // Some systems refuse to open a folder at all, others open it and fail to read it.
  const std::string opened = std::string(kBanner) + "Parsing k.cfg... Done.\nParsing logdir... ";
  EXPECT_TRUE(run.out == opened + Cp866("\nОшибка чтения файла logdir\n") ||
              run.out == opened + Cp866("Не могу открыть файл logdir\n"))
      << run.out;
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(ReadRaw("dead.lst"), "");  // statistics of half a log are not reported
}

}  // namespace
}  // namespace kestrum::e2e
