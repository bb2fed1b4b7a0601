// Tests of the report files: Out.File.Name, the period header, the letters of a file
// with header and footer, and closing.
#include "report/report_files.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

#include "platform/cp866.h"
#include "report/area_reports.h"
#include "report/box_table.h"
#include "report/expected_tables.h"
#include "report/link_reports.h"
#include "unit_support.h"

namespace kestrum {
namespace {

using testing_support::ReadBytes;
using testing_support::WriteBytes;

using expected::Border;
using expected::Lines;

// A file's bytes as UTF-8 text with LF line ends; fails the test on a bare LF.
std::string ReadReport(const std::filesystem::path& path) {
  const std::string bytes = ReadBytes(path);
  std::string text;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') continue;
    EXPECT_FALSE(bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r')) << "bare LF at " << i;
    text.push_back(bytes[i]);
  }
  return Cp866ToUtf8(text);
}

const std::string kRefused = Utf8ToCp866("Ошибка в имени файла или в списке ключей");
const std::string kFooter = "\nKestrum, ver. 0.1.2/W32\n(c) The Kestrum developers\n";

class ReportFilesTest : public testing_support::TempFolderTest {
 protected:
  void TearDown() override {
    files_.CloseReportFiles(console_);
    TempFolderTest::TearDown();
  }

  // Runs the Out.File.Name handler on a value; answers its message, or "" when accepted.
  std::string OutFileName(const std::string& value) {
    const char* message = files_.HandleOutFileName(value);
    return message == nullptr ? "" : message;
  }

  std::string Path(std::string_view name) const { return (dir_ / name).string(); }

  bool WriteAndClose(std::string_view period_text) {
    const ReportInput input{areas_, links_, nullptr, ReportOptions{}, period_text, console_};
    files_.WriteReportFiles(input);
    return files_.CloseReportFiles(console_);
  }

  ReportFiles files_;
  AreaSet areas_;
  LinkSet links_;
  StringSink console_;
};

TEST(PeriodHeaderTest, TitleAndDisplayText) {
  const std::string period = "c 10:00:00 01/02/24 по 12:30:00 05/02/24\n";
  StringSink out;
  StringSink console;
  WritePeriodHeader(out, Utf8ToCp866(period), console);
  EXPECT_EQ(Cp866ToUtf8(out.text()), Lines(18, {
                                                   Border("╔", "", "╗", {40}),
                                                   "║           Отчётный период:             ║",
                                                   Border("╠", "", "╣", {40}),
                                                   "║c 10:00:00 01/02/24 по 12:30:00 05/02/24║",
                                                   Border("╚", "", "╝", {40}),
                                               }));

  // Without a Period the second row is one empty cell.
  out = StringSink();
  WritePeriodHeader(out, "", console);
  EXPECT_EQ(Cp866ToUtf8(out.text()), Lines(24, {
                                                   Border("╔", "", "╗", {27}),
                                                   "║           Отчётный период:║",
                                                   Border("╠", "", "╣", {27}),
                                                   "║" + std::string(27, ' ') + "║",
                                                   Border("╚", "", "╝", {27}),
                                               }));
  EXPECT_EQ(console.text(), "");
}

TEST_F(ReportFilesTest, OutFileNameRefusals) {
  EXPECT_EQ(OutFileName(Path("only-a-path")), kRefused);
  EXPECT_EQ(OutFileName(Path("bad-letter") + " AaD"), kRefused);  // case matters
  EXPECT_EQ(OutFileName(Path("no/such/folder.txt") + " A"), kRefused);
  std::filesystem::create_directory(Path("a-folder"));
  EXPECT_EQ(OutFileName(Path("a-folder") + " A"), kRefused);  // a folder in the file's place
  EXPECT_EQ(OutFileName(Path("a-folder") + " +A"), kRefused);
  EXPECT_EQ(OutFileName(Path("too-many-letters") + " " + std::string(30, 'A')), kRefused);
  EXPECT_EQ(files_.count(), 0u);
  // Nothing was created by a refused line.
  EXPECT_FALSE(std::filesystem::exists(Path("bad-letter")));
  EXPECT_FALSE(std::filesystem::exists(Path("too-many-letters")));

  // The path may hold 79 characters, not 80; the letters 29.
  const std::string base = Path("");
  ASSERT_LT(base.size(), 70u);
  const std::string longest = base + std::string(79 - base.size(), 'p');
  EXPECT_EQ(OutFileName(longest + "x " + "A"), kRefused);
  EXPECT_EQ(OutFileName(longest + " " + std::string(29, 'd') + " further words"), "");
  EXPECT_EQ(files_.count(), 1u);

  // Ten files in all; the eleventh is refused and not created.
  for (int i = 1; i < 10; ++i) EXPECT_EQ(OutFileName(Path("f" + std::to_string(i)) + " A"), "") << i;
  EXPECT_EQ(files_.count(), 10u);
  EXPECT_EQ(OutFileName(Path("eleventh") + " A"), kRefused);
  EXPECT_FALSE(std::filesystem::exists(Path("eleventh")));
  EXPECT_EQ(files_.count(), 10u);
}

TEST_F(ReportFilesTest, LettersChooseReportsHeaderAndFooter) {
  areas_.Add("Live.Area").imported = 1;
  areas_.Add("Dead.Area");
  links_.Add("2:5020/1").areafix_requests = 1;
  ASSERT_EQ(OutFileName(Path("dead-only") + " +d"), "");
  ASSERT_EQ(OutFileName(Path("twice") + " AA"), "");
  ASSERT_EQ(OutFileName(Path("mixed") + " Xd"), "");
  ASSERT_EQ(OutFileName(Path("nothing") + " +"), "");
  const std::string period = Utf8ToCp866("c 10:00:00 01/02/24 по 12:30:00 05/02/24\n");
  EXPECT_TRUE(WriteAndClose(period));
  EXPECT_EQ(console_.text(), "");

  EXPECT_EQ(ReadReport(Path("dead-only")), "\nDead.Area\n");
  EXPECT_EQ(ReadReport(Path("nothing")), "");

  StringSink header;
  WritePeriodHeader(header, period, console_);
  StringSink live;
  WriteTextReport(*LayOutAreaReport('A', areas_, ReportOptions{}), live, console_);
  EXPECT_EQ(ReadReport(Path("twice")), Cp866ToUtf8(header.text() + live.text() + live.text()) + kFooter);

  StringSink areafix;
  WriteTextReport(*LayOutLinkReport('X', links_), areafix, console_);
  EXPECT_EQ(ReadReport(Path("mixed")), Cp866ToUtf8(header.text() + areafix.text()) + "\nDead.Area\n" + kFooter);
}

TEST_F(ReportFilesTest, PlusAppendsOtherwiseReplaced) {
  const std::string before = "earlier run\r\n";
  for (const char* name : {"plus-first", "plus-last", "plain"}) WriteBytes(Path(name), before);
  ASSERT_EQ(OutFileName(Path("plus-first") + " +d"), "");
  ASSERT_EQ(OutFileName(Path("plus-last") + " d+"), "");
  ASSERT_EQ(OutFileName(Path("plain") + " d"), "");
  // Nothing is touched before the reports are written.
  for (const char* name : {"plus-first", "plus-last", "plain"}) EXPECT_EQ(ReadBytes(Path(name)), before) << name;
  EXPECT_TRUE(WriteAndClose(""));
  EXPECT_EQ(ReadBytes(Path("plus-first")), before + "\r\n");
  EXPECT_EQ(ReadBytes(Path("plus-last")), before + "\r\n");
  EXPECT_EQ(ReadBytes(Path("plain")), "\r\n");
}

TEST_F(ReportFilesTest, FailedWriteIsReported) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  ASSERT_EQ(OutFileName(Path("fine") + " d"), "");
  ASSERT_EQ(OutFileName("/dev/full A"), "");
  EXPECT_FALSE(WriteAndClose(""));
  EXPECT_EQ(console_.text(), Utf8ToCp866("\nОшибка записи в файл /dev/full\n"));
  EXPECT_EQ(ReadBytes(Path("fine")), "\r\n");
  EXPECT_EQ(files_.count(), 0u);
  // Closing again finds nothing left to close.
  EXPECT_TRUE(files_.CloseReportFiles(console_));
}

}  // namespace
}  // namespace kestrum
