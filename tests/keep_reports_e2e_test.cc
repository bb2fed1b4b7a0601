// End-to-end tests of keeping reports whole: a run that fails before its reports leaves
// every report file as it was, a report is replaced only by a complete one, one with +
// gains a complete report or nothing, and no temporary file is ever left in the folder.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "e2e_support.h"

namespace kestrum::e2e {
namespace {

constexpr std::string_view kDate = "2002-07-05 12:00:00";
constexpr std::string_view kOldReport = "last night's report\r\n";
constexpr std::string_view kOldAppended = "earlier runs\r\n";
constexpr std::string_view kOldPage = "last night's page\n";
constexpr std::string_view kPage = "Out.Html.Name areas.html AD\n";
// The console of a run up to the end of its reports.
const std::string kWritten = "Parsing k.cfg... Done.\nParsing tosser.log... Done.\nWriting output files... Done.\n";

class KeepReportsTest : public E2eTest {
 protected:
  // A configuration with one replaced and one appended report, in `folder` when given;
  // `extra` goes last. Each report takes some 55 bytes an area.
  void Configure(std::string_view log_name, std::string_view extra = "", int areas = 60,
                 const std::string& folder = "") {
    WriteText("k.cfg", "Tovark.Log " + std::string(log_name) +
                           "\nSquish.Cfg squish.cfg\nPeriod 1,00:00 0,00:00\n"
                           "Out.File.Name " +
                           folder + "areas.rep AD\nOut.File.Name " + folder + "grow.rep +AD\n" + std::string(extra));
    std::string squish;
    for (int i = 0; i < areas; ++i) squish += "EchoArea SU.AREA" + std::to_string(i) + " C:\\A\n";
    WriteText("squish.cfg", squish);
    WriteText("tosser.log", "04 Jul 02  01:00:00 SU.AREA1: toss - 12 (34567 bytes)\n");
    WriteRaw(folder + "areas.rep", kOldReport);
    WriteRaw(folder + "grow.rep", kOldAppended);
  }
  RunResult RunIt() const { return Run({"-c", "k.cfg"}, kDate, "UTC"); }

  void ExpectReportsUntouched() {
    EXPECT_EQ(ReadRaw("areas.rep"), kOldReport);
    EXPECT_EQ(ReadRaw("grow.rep"), kOldAppended);
  }
  // Only the files the test made, and those the run was meant to make.
  void ExpectOnly(std::vector<std::string> names) {
    names.insert(names.end(), {"areas.rep", "grow.rep", "k.cfg", "squish.cfg", "tosser.log"});
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
  Configure("tosser.log", kPage);
  const RunResult complete = RunIt();
  ASSERT_EQ(complete.status, 0);
  const std::string report = ReadRaw("areas.rep");
  const std::string page = ReadRaw("areas.html");
  ASSERT_GT(report.size(), 4096U);
  ASSERT_GT(page.size(), 4096U);

  const std::string appended = ReadRaw("grow.rep");

  // The size limit (in blocks of 512 or 1024 bytes) lets the reports begin, not end. The
  // signal of a file grown too large is ignored from the shell on, as kestrum does
  // itself, so that wine, which does not, sees a failed write as Windows would.
  WriteRaw("areas.rep", kOldReport);
  WriteRaw("grow.rep", kOldAppended);
  WriteRaw("areas.html", kOldPage);
  shell_setup_ = "trap '' XFSZ; ulimit -f 2; ";
  const RunResult failed = RunIt();
  shell_setup_.clear();
  EXPECT_EQ(failed.status, 1);
  EXPECT_EQ(failed.out, std::string(kBanner) + kWritten +
                            Cp866("\nОшибка записи в файл areas.rep\n\nОшибка записи в файл grow.rep\n"
                                  "\nОшибка записи в файл areas.html\n"));
  ExpectReportsUntouched();
  EXPECT_EQ(ReadRaw("areas.html"), kOldPage);
  ExpectOnly({"areas.html"});

  // The next run that can write writes them all whole.
  ASSERT_EQ(RunIt().status, 0);
  EXPECT_EQ(ReadRaw("areas.rep"), report);
  EXPECT_EQ(ReadRaw("grow.rep"), appended);
  EXPECT_EQ(ReadRaw("areas.html"), page);
  ExpectOnly({"areas.html"});
}

TEST_F(KeepReportsTest, AFullDiskKeepsBothReportsAsTheyWere) {
  if (::geteuid() != 0) GTEST_SKIP() << "mounting a small file system takes root";
  std::filesystem::create_directory(Path("full"));
  const std::string mount = "mount -t tmpfs -o size=96k tmpfs " + Path("full").string() + " 2>/dev/null";
  if (std::system(mount.c_str()) != 0) GTEST_SKIP() << "no tmpfs can be mounted here";
  struct Unmount {
    std::string command;
    ~Unmount() { EXPECT_EQ(std::system(command.c_str()), 0) << command; }
  } unmount{"umount " + Path("full").string()};
  // Each report, of 2,000 areas, is larger than the whole file system.
  Configure("tosser.log", "", 2000, "full/");
  const RunResult run = RunIt();
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, std::string(kBanner) + kWritten +
                         Cp866("\nОшибка записи в файл full/areas.rep\n\nОшибка записи в файл full/grow.rep\n"));
  EXPECT_EQ(ReadRaw("full/areas.rep"), kOldReport);
  EXPECT_EQ(ReadRaw("full/grow.rep"), kOldAppended);
  std::vector<std::string> left;
  for (const auto& entry : std::filesystem::directory_iterator(Path("full"))) {
    left.push_back(entry.path().filename().string());
  }
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::string>{"areas.rep", "grow.rep"}));
}

TEST_F(KeepReportsTest, AReplacedReportKeepsItsAccessSettings) {
  Configure("tosser.log", kPage);
  WriteRaw("areas.html", kOldPage);
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
  ExpectOnly({"areas.html"});
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
  EXPECT_EQ(run.out, std::string(kBanner) + kWritten + Cp866("\nОшибка записи в файл /dev/full\n"));
  EXPECT_NE(ReadRaw("areas.rep"), kOldReport);  // the other reports are written all the same
  ExpectOnly({});
}

TEST_F(KeepReportsTest, ALeftoverTemporaryFileGoesAndALookAlikeStays) {
  Configure("tosser.log");
  // Left by runs killed while they wrote each report.
  WriteRaw(".areas.rep.kestrum-AbC123", "half a report");
  WriteRaw(".grow.rep.kestrum-x9Y8z7", "half a report");
  // Names that differ, another report's file and a folder stay.
  const std::vector<std::string> look_alikes = {".areas.rep.backup",          ".areas.rep.kestrum-AbC12",
                                                ".areas.rep.kestrum-AbC1234", ".areas.rep.kestrum-AbC-12",
                                                "areas.rep.kestrum-AbC123",   ".other.rep.kestrum-AbC123"};
  for (const std::string& name : look_alikes) WriteRaw(name, "someone's file");
  std::filesystem::create_directory(Path(".grow.rep.kestrum-Folder"));
  ASSERT_EQ(RunIt().status, 0);
  std::vector<std::string> kept = look_alikes;
  kept.push_back(".grow.rep.kestrum-Folder");
  ExpectOnly(kept);
}

// Holds, from another process (flock(1), one inside the other), the lock that kestrum
// takes on each named file of the folder, for `seconds` or until it is destroyed.
class LockHolder {
 public:
  LockHolder(const std::filesystem::path& dir, const std::vector<std::string>& names, unsigned seconds) {
    std::string command = "cd '" + dir.string() + "' && ";
    for (const std::string& name : names) command += "flock " + name + " ";
    pipe_ = ::popen((command + "sh -c 'echo $$; exec sleep " + std::to_string(seconds) + "'").c_str(), "r");
    held_ = pipe_ != nullptr && std::fscanf(pipe_, "%d", &pid_) == 1;  // told once all are held
  }
  LockHolder(const LockHolder&) = delete;
  LockHolder& operator=(const LockHolder&) = delete;
  ~LockHolder() {
    if (held_) ::kill(pid_, SIGKILL);
    if (pipe_ != nullptr) ::pclose(pipe_);
  }
  bool held() const { return held_; }

 private:
  std::FILE* pipe_ = nullptr;
  int pid_ = 0;
  bool held_ = false;
};

std::string Waiting(std::string_view name) {
  return Cp866("\nФайл " + std::string(name) + " занят, жду его освобождения (не дольше 10 минут)\n");
}

TEST_F(KeepReportsTest, ARunWaitsForAReportThatAnotherWritesForTenMinutesAtMost) {
  KESTRUM_SKIP_ON_WINDOWS("kestrum.exe locks a file of its own beside the report, which a POSIX lock does not hold");
  Configure("tosser.log");
  ASSERT_EQ(RunIt().status, 0);
  const std::string report = ReadRaw("areas.rep");
  const std::string grown = ReadRaw("grow.rep");
  const std::string before_writing = std::string(kBanner) + "Parsing k.cfg... Done.\nParsing tosser.log... Done.\n" +
                                     "Writing output files... " + Waiting("grow.rep");

  // Another holds the appended report for two seconds, and the files that the run only
  // reads: it waits once for the one, then writes it, and never for the others.
  WriteRaw("areas.rep", kOldReport);
  WriteRaw("grow.rep", kOldAppended);
  {
    const LockHolder holder(dir_, {"grow.rep", "k.cfg", "squish.cfg", "tosser.log"}, 2);
    ASSERT_TRUE(holder.held());
    const RunResult run = RunIt();
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, before_writing + "Done.\n");
  }
  EXPECT_EQ(ReadRaw("areas.rep"), report);
  EXPECT_EQ(ReadRaw("grow.rep"), grown);

  // Held for good, it is given up on after ten minutes, which pass 200 times faster
  // here; the other report is written all the same.
  WriteRaw("areas.rep", kOldReport);
  WriteRaw("grow.rep", kOldAppended);
  const LockHolder holder(dir_, {"grow.rep"}, 3600);
  ASSERT_TRUE(holder.held());
  const auto start = std::chrono::steady_clock::now();
  const RunResult run = Run({"-c", "k.cfg"}, "@2002-07-05 12:00:00 x200", "UTC");
  const auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out,
            before_writing + Cp866("\nФайл grow.rep занят дольше 10 минут, отчёт в него не записан\n") + "Done.\n");
  EXPECT_GE(waited, std::chrono::milliseconds(2500));
  EXPECT_LT(waited, std::chrono::seconds(60));
  EXPECT_EQ(ReadRaw("areas.rep"), report);
  EXPECT_EQ(ReadRaw("grow.rep"), kOldAppended);
  ExpectOnly({});
}

TEST_F(KeepReportsTest, RunsThatOverlapWriteOneAfterAnother) {
  // Each run its own configuration and log, so that every report differs; 3,000 areas
  // make each some 160 KiB, written in many blocks.
  constexpr int kRuns = 6;
  Configure("tosser.log", "", 3000);
  std::vector<std::vector<std::string>> runs;
  std::vector<std::string> made;
  std::vector<std::string> replaced;
  std::vector<std::string> appended;
  for (int i = 1; i <= kRuns; ++i) {
    const std::string config = "k" + std::to_string(i) + ".cfg";
    const std::string log = "log" + std::to_string(i) + ".log";
    WriteText(config, "Tovark.Log " + log +
                          "\nSquish.Cfg squish.cfg\nPeriod 1,00:00 0,00:00\n"
                          "Out.File.Name areas.rep AD\nOut.File.Name grow.rep +AD\n");
    WriteText(log, "04 Jul 02  01:00:00 SU.AREA1: toss - " + std::to_string(i) + " (" + std::to_string(i * 1000) +
                       " bytes)\n");
    runs.push_back({"-c", config});
    made.insert(made.end(), {config, log});
    WriteRaw("grow.rep", "");
    ASSERT_EQ(Run(runs.back(), kDate, "UTC").status, 0);
    replaced.push_back(ReadRaw("areas.rep"));
    appended.push_back(ReadRaw("grow.rep"));
  }

  WriteRaw("areas.rep", kOldReport);
  WriteRaw("grow.rep", kOldAppended);
  // Here the reports are held while the runs start (three seconds, time enough for the
  // slowest build to reach its reports), so that all of them wait for the same files and
  // then take turns; kestrum.exe's own lock file cannot be held so.
  std::optional<LockHolder> holder;
  if (!RunsWindowsBuild()) {
    holder.emplace(dir_, std::vector<std::string>{"areas.rep", "grow.rep"}, 3);
    ASSERT_TRUE(holder->held());
  }
  const std::vector<RunResult> results = RunTogether(runs, kDate, "UTC");
  for (int i = 0; i < kRuns; ++i) {
    EXPECT_EQ(results[i].status, 0);
    // Each says once that it waits for a file, for each file it waits for.
    const std::string before_writing = std::string(kBanner) + "Parsing " + runs[i][1] + "... Done.\nParsing log" +
                                       std::to_string(i + 1) + ".log... Done.\nWriting output files... ";
    std::vector<std::string> outputs;
    for (const std::string& first : {std::string(), Waiting("areas.rep")}) {
      for (const std::string& second : {std::string(), Waiting("grow.rep")}) {
        if (holder && first.empty()) continue;
        outputs.push_back(before_writing + first + second + "Done.\n");
      }
    }
    EXPECT_NE(std::find(outputs.begin(), outputs.end(), results[i].out), outputs.end()) << results[i].out;
  }

  // One whole report in the replaced file, and every report whole in the appended one.
  const std::string replaced_now = ReadRaw("areas.rep");
  EXPECT_NE(std::find(replaced.begin(), replaced.end(), replaced_now), replaced.end());
  const std::string grown = ReadRaw("grow.rep");
  ASSERT_EQ(grown.substr(0, kOldAppended.size()), kOldAppended);
  std::size_t at = kOldAppended.size();
  std::vector<bool> found(kRuns, false);
  for (int n = 0; n < kRuns; ++n) {
    int which = 0;
    while (which < kRuns && (found[which] || grown.compare(at, appended[which].size(), appended[which]) != 0)) ++which;
    ASSERT_LT(which, kRuns) << "no whole report at byte " << at;
    found[which] = true;
    at += appended[which].size();
  }
  EXPECT_EQ(at, grown.size());
  ExpectOnly(made);
}

TEST_F(KeepReportsTest, ARunKilledAtAnyMomentLeavesEachReportOldOrNew) {
  KESTRUM_SKIP_ON_WINDOWS("under wine a run is mostly wine starting, where a kill at random would mostly land");
  // Reports of some 2 MiB each; the appended file holds one already, which a run copies
  // before it adds its own. The runs take the real clock, in a zone where it is about
  // noon, so that every report has the same period.
  Configure("tosser.log", "", 40000);
  const std::time_t now = std::time(nullptr);
  std::tm utc{};
  ASSERT_NE(::gmtime_r(&now, &utc), nullptr);
  const std::string noon = "NOON" + std::to_string(utc.tm_hour - 12);
  const auto start = std::chrono::steady_clock::now();
  ASSERT_EQ(Run({"-c", "k.cfg"}, "", noon).status, 0);
  const auto took = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);
  const std::string report = ReadRaw("areas.rep");
  const std::string before = ReadRaw("grow.rep");
  const std::string appended = before.substr(kOldAppended.size());
  ASSERT_GT(report.size(), 2000000U);

  const unsigned seed = std::random_device{}();
  SCOPED_TRACE("seed " + std::to_string(seed));
  std::mt19937 random(seed);
  // Moments from the start to a little past the end of a whole run: some runs end first.
  std::uniform_int_distribution<long long> moment(0, took.count() * 5 / 4);
  int killed = 0;
  for (int i = 0; i < 30; ++i) {
    WriteRaw("areas.rep", kOldReport);
    WriteRaw("grow.rep", before);
    const std::chrono::microseconds delay(moment(random));
    if (RunKilledAfter({"-c", "k.cfg"}, delay, noon) == -1) ++killed;
    const std::string replaced_now = ReadRaw("areas.rep");
    const std::string grown = ReadRaw("grow.rep");
    EXPECT_TRUE(replaced_now == kOldReport || replaced_now == report) << "killed after " << delay.count() << " us";
    EXPECT_TRUE(grown == before || grown == before + appended) << "killed after " << delay.count() << " us";
    // A killed run may leave a temporary file of each report, which the next run that
    // writes the report removes.
    int left[2] = {0, 0};
    for (const std::string& name : Names()) {
      left[0] += name.starts_with(".areas.rep.kestrum-") ? 1 : 0;
      left[1] += name.starts_with(".grow.rep.kestrum-") ? 1 : 0;
    }
    EXPECT_LE(left[0], 1);
    EXPECT_LE(left[1], 1);
  }
  EXPECT_GT(killed, 0);

  WriteRaw("grow.rep", before);
  ASSERT_EQ(Run({"-c", "k.cfg"}, "", noon).status, 0);
  EXPECT_EQ(ReadRaw("areas.rep"), report);
  EXPECT_EQ(ReadRaw("grow.rep"), before + appended);
  ExpectOnly({});
}

}  // namespace
}  // namespace kestrum::e2e
