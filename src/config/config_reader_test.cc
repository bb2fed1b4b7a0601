// Tests of the keyword table and the configuration reader, against files in a temporary
// folder; messages are compared as the exact CP866 bytes written to the console.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "config/config_reader.h"
#include "config/keyword_table.h"
#include "platform/cp866.h"
#include "unit_support.h"

namespace kestrum {
namespace {

class ConfigReaderTest : public testing_support::TempFolderTest {
 protected:
  // Writes a configuration file (bytes as given) and reads it; answers the reader's answer.
  int Read(std::string_view bytes) {
    path_ = (dir_ / "test.cfg").string();
    std::ofstream(path_, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    ConfigReader reader(table_, console_);
    return reader.ReadConfigFile(path_.c_str());
  }
  std::string Console() const { return Cp866ToUtf8(console_.text()); }
  std::string Value(int index) const {
    const char* value = table_.KeywordValue(index);
    return value == nullptr ? "<none>" : value;
  }

  std::string path_;
  KeywordTable table_;
  StringSink console_;
};

TEST(KeywordTableTest, StartsWithItsDefaults) {
  KeywordTable table;
  EXPECT_STREQ(table.KeywordValue(kSquishCfg), "Squish.cfg");
  EXPECT_EQ(table.KeywordValue(kTovarkLog), nullptr);
  EXPECT_EQ(table.KeywordValue(KEYWORD_COUNT), nullptr);
  EXPECT_EQ(table.KeywordValue(-1), nullptr);
  EXPECT_EQ(table.KeywordInt(kShowDeletedArea), 1);
  EXPECT_EQ(table.KeywordInt(kShowUnknownArea), 1);
  EXPECT_EQ(table.KeywordInt(kScreenWide), 79);
  EXPECT_EQ(table.KeywordInt(kMinGraphLen), 15);
  EXPECT_EQ(table.KeywordInt(kDebug), 0);
  EXPECT_TRUE(table.entry(kDebug).handler);
  EXPECT_FALSE(table.entry(kPeriod).handler);
  table.SetKeywordHandler(KEYWORD_COUNT, YesNoHandler);  // out of range: ignored
  ASSERT_NE(table.Find("squish.cfg"), nullptr);
  EXPECT_EQ(table.Find("SQUISH.CFG"), table.Find("squish.cfg"));
  EXPECT_EQ(table.Find("Squish_Cfg"), nullptr);
}

TEST_F(ConfigReaderTest, EmptyAndCommentOnlyFilesChangeNothing) {
  EXPECT_EQ(Read(""), 0);
  EXPECT_EQ(Read("\n   \n\t; a comment\n;Debug Yes\n"), 0);
  EXPECT_EQ(Console(), "");
  EXPECT_EQ(table_.KeywordInt(kDebug), 0);
  EXPECT_EQ(table_.entry(kDebug).times_set, 0u);
}

TEST_F(ConfigReaderTest, CutsKeywordsAndValues) {
  EXPECT_EQ(Read("  dEbUg    yES   ; switched on\n"
                 "Tovark.Log\tC:\\Log\\tosser.log     extra   \t \n"
                 "Period 1,00:00;0,00:00 ignored\n"
                 "BadArea\n"),
            0);
  EXPECT_EQ(table_.KeywordInt(kDebug), 1);
  EXPECT_EQ(Value(kTovarkLog), "C:\\Log\\tosser.log extra");
  EXPECT_EQ(Value(kPeriod), "1,00:00");
  EXPECT_EQ(Value(kBadArea), "");
  EXPECT_EQ(Console(), "");
}

TEST_F(ConfigReaderTest, YesNoKeywordsRefuseOtherValues) {
  EXPECT_EQ(Read("Debug Yes\nDebug\nDebug ; comment\nDebug maybe\nShow.Deleted.Area no\n"), -1);
  EXPECT_EQ(Console(), "\n" + path_ + ", строка 2. Возможные значения Yes и No\n" + "\n" + path_ +
                           ", строка 3. Возможные значения Yes и No\n" + "\n" + path_ +
                           ", строка 4. Возможные значения Yes и No\n");
  EXPECT_EQ(table_.KeywordInt(kDebug), 1);  // keeps the last accepted value
  EXPECT_EQ(Value(kDebug), "maybe");        // a refused value stays stored
  EXPECT_EQ(table_.entry(kDebug).times_set, 4u);
  EXPECT_EQ(table_.KeywordInt(kShowDeletedArea), 0);
}

TEST_F(ConfigReaderTest, ReportsUnknownKeywordsAndReadsOn) {
  EXPECT_EQ(Read("Debug Yes\nAddress 2:5020/1\n\n; x\nScreen.Wide 100\nSquish.Cfg a.cfg\nInbound C:\\In\n"), -1);
  EXPECT_EQ(Console(), "\n" + path_ + ", строка 2. Неизвестное ключевое слово Address\n" + "\n" + path_ +
                           ", строка 7. Неизвестное ключевое слово Inbound\n");
  EXPECT_EQ(Value(kScreenWide), "100");
  EXPECT_EQ(table_.KeywordInt(kScreenWide), 79);  // stored, not interpreted
  EXPECT_EQ(Value(kSquishCfg), "a.cfg");
}

TEST_F(ConfigReaderTest, RunsHandlersOncePerLineWithTheNewValue) {
  std::vector<std::string> seen;
  table_.SetKeywordHandler(kEchoArea, [&](KeywordEntry& entry) -> const char* {
    seen.push_back(*entry.value + "#" + std::to_string(entry.times_set));
    return entry.value == "BAD" ? "refused" : nullptr;
  });
  EXPECT_EQ(Read("EchoArea One\nechoarea BAD\nECHOAREA Two  x\n"), -1);
  EXPECT_EQ(seen, (std::vector<std::string>{"One#1", "BAD#2", "Two x#3"}));
  EXPECT_EQ(Console(), "\n" + path_ + ", строка 2. refused\n");
  EXPECT_EQ(Value(kEchoArea), "Two x");
}

TEST_F(ConfigReaderTest, ReadsCrLfAndStopsAtTheEndOfFileMark) {
  EXPECT_EQ(Read("Debug Yes\r\nTovark.Log a\rb.log\r\n\x1A"
                 "Address here\n"),
            0);
  EXPECT_EQ(table_.KeywordInt(kDebug), 1);
  EXPECT_EQ(Value(kTovarkLog), "ab.log");
  EXPECT_EQ(Console(), "");
}

TEST_F(ConfigReaderTest, ReadsAnOverlongLineAsTwoLines) {
  // 1500 characters: the first 1023 are one line, the other 477 the next (line 2).
  const std::string line = "Tovark.Log " + std::string(1012, 'a') + "Unknown.Word " + std::string(464, 'b');
  ASSERT_EQ(line.size(), 1500u);
  EXPECT_EQ(Read(line + "\nFoo\n"), -1);
  EXPECT_EQ(Value(kTovarkLog), std::string(1012, 'a'));
  EXPECT_EQ(Console(), "\n" + path_ + ", строка 2. Неизвестное ключевое слово Unknown.Word\n" + "\n" + path_ +
                           ", строка 3. Неизвестное ключевое слово Foo\n");
}

TEST_F(ConfigReaderTest, ReportsAFileThatCannotBeOpened) {
  ConfigReader reader(table_, console_);
  const std::string missing = (dir_ / "missing.cfg").string();
  EXPECT_EQ(reader.ReadConfigFile(missing.c_str()), -1);
  EXPECT_EQ(Console(), "\nОшибка открытия файла " + missing + "\n");
}

TEST_F(ConfigReaderTest, AFileThatCannotBeReadIsRefused) {
  // A folder opens on some systems but cannot be read: that is no empty configuration.
  ConfigReader reader(table_, console_);
  const std::string folder = dir_.string();
  EXPECT_EQ(reader.ReadConfigFile(folder.c_str()), -1);
  EXPECT_TRUE(Console() == "\nОшибка чтения файла " + folder + "\n" ||
              Console() == "\nОшибка открытия файла " + folder + "\n")
      << Console();
}

TEST_F(ConfigReaderTest, FreeKeywordValuesKeepsDefaults) {
  EXPECT_EQ(Read("Tovark.Log x.log\n"), 0);
  table_.FreeKeywordValues();
  EXPECT_EQ(table_.KeywordValue(kTovarkLog), nullptr);
  EXPECT_STREQ(table_.KeywordValue(kSquishCfg), "Squish.cfg");
}

}  // namespace
}  // namespace kestrum
