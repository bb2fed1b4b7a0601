// End-to-end tests of file names as the configuration gives them: absolute paths into
// other folders, written with a drive letter and backslashes on Windows, and names with
// CP866 letters, which are bytes to the program: POSIX systems take them as they are,
// Windows reads them in its ANSI code page.
#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "e2e_support.h"

namespace kestrum::e2e {
namespace {

constexpr std::string_view kDate = "2002-07-05 12:00:00";
constexpr std::string_view kDeadList = "\r\nSu.Quiet\r\n";

class FileNamesTest : public E2eTest {
 protected:
  // A name in the folder as an absolute path: on Windows with wine's drive Z: for the
  // root and backslashes between the folders.
  std::string Absolute(std::string_view name) const {
    std::string path = Path(name).string();
    if (!RunsWindowsBuild()) return path;
    std::replace(path.begin(), path.end(), '/', '\\');
    return "Z:" + path;
  }
  std::string Complete(std::string_view config, std::string_view log) const {
    return std::string(kBanner) + "Parsing " + std::string(config) + "... Done.\nParsing " + std::string(log) +
           "... Done.\nWriting output files... Done.\n";
  }
};

TEST_F(FileNamesTest, AbsolutePaths) {
  std::filesystem::create_directories(Path("in"));
  std::filesystem::create_directories(Path("out/sub"));
  const std::string config = Absolute("in/k.cfg");
  const std::string log = Absolute("in/tosser.log");
  WriteText("in/k.cfg", "Tovark.Log " + log + "\nSquish.Cfg " + Absolute("in/squish.cfg") +
                            "\nPeriod 1,00:00 0,00:00\nOut.File.Name " + Absolute("out/dead.lst") +
                            " d\nOut.File.Name " + Absolute("out/sub/grow.lst") + " +d\n");
  WriteText("in/squish.cfg", "EchoArea SU.QUIET C:\\Q\n");
  WriteText("in/tosser.log", "");
  WriteRaw("out/dead.lst", "last night's list\r\n");
  WriteRaw("out/sub/grow.lst", "earlier\r\n");

  const RunResult run = Run({"-c", config}, kDate, "UTC");
  EXPECT_EQ(run.out, Complete(config, log));
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(ReadRaw("out/dead.lst"), kDeadList);
  EXPECT_EQ(ReadRaw("out/sub/grow.lst"), "earlier\r\n" + std::string(kDeadList));
  // Nothing was left beside the reports, nor written where the program ran.
  EXPECT_EQ(Names(), (std::vector<std::string>{"in", "out"}));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Path("out")), {}), 2);
}

TEST_F(FileNamesTest, Cp866NamesAreBytes) {
  // The configuration names the log "журнал.log" and the report "Отчёт.lst" in CP866.
  WriteText("k.cfg",
            "Tovark.Log журнал.log\nSquish.Cfg squish.cfg\nPeriod 1,00:00 0,00:00\n"
            "Out.File.Name Отчёт.lst d\n");
  WriteText("squish.cfg", "EchoArea SU.QUIET C:\\Q\n");
  // On Windows the bytes are letters of the ANSI code page: code page 1252 here, which
  // wine takes from the locale C.UTF-8; wine keeps the names in UTF-8.
  shell_setup_ = "export LC_ALL=C.UTF-8; ";
  const std::string log_name = RunsWindowsBuild() ? "¦ãà\u00AD\u00A0«.log" : Cp866("журнал.log");
  const std::string report_name = RunsWindowsBuild() ? "Žâçñâ.lst" : Cp866("Отчёт.lst");
  WriteText(log_name, "");

  const RunResult run = Run({"-c", "k.cfg"}, kDate, "UTC");
  // The console shows the bytes as they were given, which a CP866 console shows right.
  EXPECT_EQ(run.out, Complete("k.cfg", Cp866("журнал.log")));
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(ReadRaw(report_name), kDeadList);
  std::vector<std::string> names = {"k.cfg", "squish.cfg", log_name, report_name};
  std::sort(names.begin(), names.end());
  EXPECT_EQ(Names(), names);
}

}  // namespace
}  // namespace kestrum::e2e
