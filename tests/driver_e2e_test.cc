// End-to-end tests of the run's frame: the command line, the configuration files, the
// log's opening and reading, the Debug files and counts, and the exit status.
#include <string>

#include "e2e_support.h"

namespace kestrum::e2e {
namespace {

constexpr std::string_view kDate = "2002-07-05 12:00:00";

class DriverTest : public E2eTest {
 protected:
  // A minimal working setup: configuration, empty Squish file, and the given log.
  void Prepare(std::string_view config_name, std::string_view extra_config, std::string_view log) {
    WriteText(config_name, std::string("Tovark.Log tosser.log\nSquish.Cfg squish.cfg\n") + std::string(extra_config));
    WriteText("squish.cfg", "");
    WriteRaw("tosser.log", log);
  }
  static std::string Complete(std::string_view config_name) {
    return std::string(kBanner) + "Parsing " + std::string(config_name) +
           "... Done.\nParsing tosser.log... Done.\nWriting output files... Done.\n";
  }
};

TEST_F(DriverTest, CommandLineChoosesTheConfigurationFile) {
  Prepare("Kestrum.Cfg", "", "");
  RunResult run = Run({}, kDate);
  EXPECT_EQ(run.out, Complete("Kestrum.Cfg"));
  EXPECT_EQ(run.status, 0);

  Prepare("other.cfg", "", "");
  run = Run({"-c", "other.cfg"}, kDate);
  EXPECT_EQ(run.out, Complete("other.cfg"));
  EXPECT_EQ(run.status, 0);
}

TEST_F(DriverTest, RefusedCommandLinesShowOnlyTheUsage) {
  Prepare("Kestrum.Cfg", "Debug Yes\n", "");
  const std::string usage = std::string(kBanner) + "Usage: Kestrum [-c filename]\n";
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"-c"}, {"Kestrum.Cfg"}, {"-C", "Kestrum.Cfg"}, {"x", "Kestrum.Cfg"}, {"-c", "Kestrum.Cfg", "more"}}) {
    const RunResult run = Run(args);
    EXPECT_EQ(run.out, usage) << args.size() << " arguments, first " << args[0];
    EXPECT_EQ(run.status, 2);
  }
  EXPECT_FALSE(Exists("f1.txt"));  // nothing was read, so no Debug file either
}

TEST_F(DriverTest, AMissingConfigurationFileEndsTheRun) {
  const RunResult run = Run({"-c", "missing.cfg"});
  EXPECT_EQ(run.out, std::string(kBanner) + "Parsing missing.cfg... " + Cp866("\nОшибка открытия файла missing.cfg\n"));
  EXPECT_EQ(run.status, 1);
}

TEST_F(DriverTest, ASquishFileWithForeignKeywordsEndsTheRunBeforeTheLog) {
  Prepare("k.cfg", "Debug Yes\n", "");
  WriteText("squish.cfg",
            "; node configuration\nAddress 2:5020/1\nEchoArea SU.GENERAL C:\\Squish\\SuGen\nOrigin Somewhere\n");
  const RunResult run = Run({"-c", "k.cfg"}, kDate);
  EXPECT_EQ(run.out, std::string(kBanner) + "Parsing k.cfg... " +
                         Cp866("\nsquish.cfg, строка 2. Неизвестное ключевое слово Address\n"
                               "\nsquish.cfg, строка 4. Неизвестное ключевое слово Origin\n"));
  EXPECT_EQ(run.status, 1);
  EXPECT_FALSE(Exists("f1.txt"));  // the log was never opened
}

TEST_F(DriverTest, ASquishFileOfAreaLinesAndCommentsIsRead) {
  Prepare("k.cfg", "", "");
  WriteText("squish.cfg",
            "; areas\nEchoArea SU.GENERAL C:\\Squish\\SuGen -0\n  NetArea NETMAIL C:\\Net ; mail\n"
            "BadArea BAD C:\\Bad\nDupeArea DUPES C:\\Dupes\nLocalArea LOCAL C:\\Local\n");
  const RunResult run = Run({"-c", "k.cfg"}, kDate);
  EXPECT_EQ(run.out, Complete("k.cfg"));
  EXPECT_EQ(run.status, 0);
}

TEST_F(DriverTest, ALogThatCannotBeOpenedEndsTheRun) {
  Prepare("k.cfg", "Debug Yes\n", "");
  std::filesystem::remove(Path("tosser.log"));
  RunResult run = Run({"-c", "k.cfg"}, kDate);
  EXPECT_EQ(run.out, std::string(kBanner) + "Parsing k.cfg... Done.\nParsing tosser.log... " +
                         Cp866("Не могу открыть файл tosser.log\n"));
  EXPECT_EQ(run.status, 1);
  EXPECT_FALSE(Exists("f1.txt"));

  // Without any Tovark.Log line the log has no name at all.
  WriteText("k.cfg", "Squish.Cfg squish.cfg\n");
  run = Run({"-c", "k.cfg"}, kDate);
  EXPECT_EQ(run.out, std::string(kBanner) + "Parsing k.cfg... Done.\nParsing (null)... " +
                         Cp866("Не могу открыть файл (null)\n"));
  EXPECT_EQ(run.status, 1);
}

TEST_F(DriverTest, DebugOnAnEmptyLogCountsNothing) {
  Prepare("k.cfg", "Debug Yes\nPeriod 1,00:00 0,00:00\n", "");
  const RunResult run = Run({"-c", "k.cfg"}, kDate);
  EXPECT_EQ(run.out, Complete("k.cfg") + Cp866("Всего из лога прочитано  0 строк\n"
                                               "Попало в заданный период 0 строк\n"
                                               "Содержали информацию об эхах  0 строк\n"
                                               "Содержали информацию о линках 0 строк\n"));
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(ReadRaw("f1.txt"), "");
  EXPECT_EQ(ReadRaw("f2.txt"), "");
  EXPECT_EQ(ReadRaw("f3.txt"), "");
}

TEST_F(DriverTest, DebugOffWritesNoDebugFilesOrCounts) {
  Prepare("k.cfg", "Debug No\n", "01 Jul 02  10:00:00 [xx] SU.GENERAL: toss - 1 (10 bytes)\n");
  const RunResult run = Run({"-c", "k.cfg"}, kDate);
  EXPECT_EQ(run.out, Complete("k.cfg"));
  EXPECT_FALSE(Exists("f1.txt"));
  EXPECT_FALSE(Exists("f2.txt"));
  EXPECT_FALSE(Exists("f3.txt"));
}

TEST_F(DriverTest, LongLogLinesAreReadInPiecesOf249Characters) {
  // 600 characters and a newline are three reads: 249, 249 and 103 characters.
  Prepare("k.cfg", "Debug Yes\n", std::string(600, 'x') + "\r\n" + "short\r\n" + "\x1A" + "after the end\n");
  const RunResult run = Run({"-c", "k.cfg"}, kDate);
  EXPECT_EQ(run.out, Complete("k.cfg") + Cp866("Всего из лога прочитано  4 строк\n"
                                               "Попало в заданный период 0 строк\n"
                                               "Содержали информацию об эхах  0 строк\n"
                                               "Содержали информацию о линках 0 строк\n"));
}

TEST_F(DriverTest, ADebugFileThatCannotBeCreatedIsNamedAndTheRunGoesOn) {
  Prepare("k.cfg", "Debug Yes\n", "");
  std::filesystem::create_directory(Path("f2.txt"));  // a folder where the file should be
  const RunResult run = Run({"-c", "k.cfg"}, kDate);
  EXPECT_EQ(run.out, std::string(kBanner) + "Parsing k.cfg... Done.\nParsing tosser.log... " +
                         Cp866("\nНе могу создать файл f2.txt\n") + "Done.\nWriting output files... Done.\n" +
                         Cp866("Всего из лога прочитано  0 строк\n"
                               "Попало в заданный период 0 строк\n"
                               "Содержали информацию об эхах  0 строк\n"
                               "Содержали информацию о линках 0 строк\n"));
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(Exists("f1.txt"));
  EXPECT_TRUE(Exists("f3.txt"));
}

}  // namespace
}  // namespace kestrum::e2e
