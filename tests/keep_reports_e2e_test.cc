// End-to-end tests of keeping reports whole: a run that fails before its reports leaves
// every report file as it was, a report is replaced only by a complete one, and no
// temporary file is ever left in the folder.
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "e2e_support.h"

namespace kestrum::e2e {
namespace {

constexpr std::string_view kDate = "2002-07-05 12:00:00";
constexpr std::string_view kOldReport = "last night's report\r\n";
constexpr std::string_view kOldAppended = "earlier runs\r\n";
constexpr std::string_view kOldPage = "last night's page\n";

class KeepReportsTest : public E2eTest {
 protected:
  // A configuration with one replaced and one appended report and a page; `extra` goes last.
  void Configure(std::string_view log_name, std::string_view extra = "") {
    WriteText("k.cfg", "Tovark.Log " + std::string(log_name) +
                           "\nSquish.Cfg squish.cfg\nPeriod 1,00:00 0,00:00\n"
                           "Out.File.Name areas.rep AD\nOut.File.Name grow.rep +A\nOut.Html.Name areas.html AD\n" +
                           std::string(extra));
    // Enough areas that a report takes several kilobytes.
    std::string squish;
    for (int i = 0; i < 60; ++i) squish += "EchoArea SU.AREA" + std::to_string(i) + " C:\\A\n";
    WriteText("squish.cfg", squish);
    WriteText("tosser.log", "04 Jul 02  01:00:00 SU.AREA1: toss - 12 (34567 bytes)\n");
    WriteRaw("areas.rep", kOldReport);
    WriteRaw("grow.rep", kOldAppended);
    WriteRaw("areas.html", kOldPage);
  }
  RunResult RunIt() const { return Run({"-c", "k.cfg"}, kDate, "UTC"); }

  void ExpectReportsUntouched() {
    EXPECT_EQ(ReadRaw("areas.rep"), kOldReport);
    EXPECT_EQ(ReadRaw("grow.rep"), kOldAppended);
    EXPECT_EQ(ReadRaw("areas.html"), kOldPage);
  }
  // Only the files the test made, and those the run was meant to make.
  void ExpectOnly(std::vector<std::string> names) {
    names.insert(names.end(), {"areas.html", "areas.rep", "grow.rep", "k.cfg", "squish.cfg", "tosser.log"});
    std::sort(names.begin(), names.end());
    EXPECT_EQ(Names(), names);
  }
};

TEST_F(KeepReportsTest, ARunThatFailsBeforeItsReportsLeavesThemAsTheyWere) {
  // A refused line after the reports were named: every line is read, nothing is written.
  Configure("tosser.log", "Out.File.Name new.rep A\nNo.Such.Keyword here\n");
  RunResult run = RunIt();
  EXPECT_EQ(run.status, 1);
  ExpectReportsUntouched();
  EXPECT_EQ(ReadRaw("new.rep"), "");  // a file that did not exist is created, empty
  ExpectOnly({"new.rep"});

  // A log that cannot be opened.
  Configure("missing.log");
  run = RunIt();
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.out.find(Cp866("Не могу открыть файл missing.log")), std::string::npos) << run.out;
  ExpectReportsUntouched();
  ExpectOnly({"new.rep"});

  // A log that opens but cannot be read.
  Configure("logdir");
  std::filesystem::create_directory(Path("logdir"));
  run = RunIt();
  EXPECT_EQ(run.status, 1);
  ExpectReportsUntouched();
  ExpectOnly({"logdir", "new.rep"});
}

TEST_F(KeepReportsTest, AWriteThatFailsPartWayKeepsTheOldReportWhole) {
  Configure("tosser.log");
  const RunResult complete = RunIt();
  ASSERT_EQ(complete.status, 0);
  const std::string report = ReadRaw("areas.rep");
  const std::string page = ReadRaw("areas.html");
  ASSERT_GT(report.size(), 4096U);
  ASSERT_GT(page.size(), 4096U);

  // The size limit (in blocks of 512 or 1024 bytes) lets the reports begin, not end. The
  // appended report is written in place and may take part of its text. The signal of a
  // file grown too large is ignored from the shell on, as kestrum does itself, so that
  // wine, which does not, sees a failed write as Windows would.
  WriteRaw("areas.rep", kOldReport);
  WriteRaw("grow.rep", kOldAppended);
  WriteRaw("areas.html", kOldPage);
  shell_setup_ = "trap '' XFSZ; ulimit -f 2; ";
  const RunResult failed = RunIt();
  shell_setup_.clear();
  EXPECT_EQ(failed.status, 1);
  EXPECT_NE(failed.out.find(Cp866("\nОшибка записи в файл areas.rep\n")), std::string::npos) << failed.out;
  EXPECT_NE(failed.out.find(Cp866("\nОшибка записи в файл areas.html\n")), std::string::npos) << failed.out;
  EXPECT_EQ(ReadRaw("areas.rep"), kOldReport);
  EXPECT_EQ(ReadRaw("areas.html"), kOldPage);
  ExpectOnly({});

  // The next run that can write replaces them whole.
  ASSERT_EQ(RunIt().status, 0);
  EXPECT_EQ(ReadRaw("areas.rep"), report);
  EXPECT_EQ(ReadRaw("areas.html"), page);
  ExpectOnly({});
}

TEST_F(KeepReportsTest, AReplacedReportKeepsItsAccessSettings) {
  Configure("tosser.log");
  for (const char* name : {"areas.rep", "areas.html"}) {
    if (RunsWindowsBuild()) {
      // Windows keeps no Unix permission bits; a hidden report stays hidden.
      ASSERT_EQ(RunWindowsCommand({"attrib", "+h", name}).status, 0);
    } else {
      ASSERT_EQ(::chmod(Path(name).c_str(), 0640), 0);
    }
  }
  ASSERT_EQ(RunIt().status, 0);
  EXPECT_NE(ReadRaw("areas.rep"), kOldReport);
  EXPECT_NE(ReadRaw("areas.html"), kOldPage);
  for (const char* name : {"areas.rep", "areas.html"}) {
    if (RunsWindowsBuild()) {
      // attrib shows the letters of the attributes, then the file's full path.
      const RunResult attributes = RunWindowsCommand({"attrib", name});
      const std::string letters = attributes.out.substr(0, attributes.out.find(":\\"));
      EXPECT_NE(letters.find('H'), std::string::npos) << attributes.out;
    } else {
      struct stat info {};
      ASSERT_EQ(::stat(Path(name).c_str(), &info), 0);
      EXPECT_EQ(info.st_mode & 07777, 0640U) << name;
    }
  }
  ExpectOnly({});
}

TEST_F(KeepReportsTest, AReplacedReportBehindALinkKeepsTheLink) {
  Configure("tosser.log", "Out.File.Name link.rep AD\n");
  std::filesystem::create_directory(Path("real"));
  WriteRaw("real/target.rep", kOldReport);
  std::filesystem::create_symlink("real/target.rep", Path("link.rep"));
  if (!RunsWindowsBuild()) {
    ASSERT_EQ(::chmod(Path("real/target.rep").c_str(), 0604), 0);
  }

  ASSERT_EQ(RunIt().status, 0);
  const std::string report = ReadRaw("areas.rep");
  EXPECT_NE(report, kOldReport);
  // The link still points where it did, and its target holds the new report.
  ASSERT_TRUE(std::filesystem::is_symlink(Path("link.rep")));
  EXPECT_EQ(std::filesystem::read_symlink(Path("link.rep")), "real/target.rep");
  EXPECT_EQ(ReadRaw("real/target.rep"), report);
  if (!RunsWindowsBuild()) {
    struct stat info {};
    ASSERT_EQ(::stat(Path("real/target.rep").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0604U);
  }
  ExpectOnly({"link.rep", "real"});
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Path("real")), {}), 1);
}

TEST_F(KeepReportsTest, DevicesAreWrittenInPlace) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
  Configure("tosser.log", "Out.File.Name /dev/null A\nOut.File.Name /dev/full A\n");
  const RunResult run = RunIt();
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, std::string(kBanner) +
                         "Parsing k.cfg... Done.\nParsing tosser.log... Done.\nWriting output files... Done.\n" +
                         Cp866("\nОшибка записи в файл /dev/full\n"));
  EXPECT_NE(ReadRaw("areas.rep"), kOldReport);  // the other reports are written all the same
  ExpectOnly({});
}

}  // namespace
}  // namespace kestrum::e2e
