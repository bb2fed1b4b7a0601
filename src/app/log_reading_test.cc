// Tests of reading the log in chunks on several threads: whatever the chunk size and the
// number of threads, the sets and counts come out exactly as reading the log line by line
// gives them, at odd line ends, long lines, stray CRs, NULs and end-of-file marks alike.
#include "app/log_reading.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "app/run.h"
#include "platform/local_time.h"
#include "unit_support.h"

namespace kestrum {
namespace {

using testing_support::ReadBytes;
using testing_support::ScopedTimeZone;
using testing_support::WriteBytes;

// Noon of 10 December 2026; with "Period 1,00:00 0,00:00" the window is 9 December.
const std::int64_t kNow = CivilSeconds(2026, 11, 10, 12, 0, 0);

ReportPeriod YesterdayPeriod() {
  ReportPeriod period([] { return kNow; });
  EXPECT_EQ(period.HandlePeriod("1,00:00 0,00:00"), nullptr);
  return period;
}

// Everything reading produces, with byte totals to the last bit.
std::string Snapshot(const AreaSet& areas, const LinkSet& links, const LineCounts& counts) {
  std::ostringstream out;
  out.precision(17);
  out << counts.read << ' ' << counts.in_period << ' ' << counts.area_lines << ' ' << counts.link_lines << '\n';
  for (const AreaRecord& area : areas) {
    out << area.name << ' ' << area.imported << ' ' << area.exported << ' ' << area.dupes << ' ' << area.imported_bytes
        << ' ' << area.flags << '\n';
  }
  for (const LinkRecord& link : links) {
    out << link.name << ' ' << link.bytes_received << ' ' << link.bytes_sent << ' ' << link.areafix_requests << ' '
        << link.ignored << '\n';
  }
  return out.str();
}

// A log with every line form and the odd things a log holds, stamps inside and outside
// the window, tags in changing letter case so that the first spelling met counts.
std::string MakeLog(std::size_t lines, unsigned seed) {
  std::mt19937 random(seed);
  const auto pick = [&](std::size_t n) { return static_cast<std::size_t>(random() % n); };
  const char* const tags[] = {"SU.GENERAL", "su.general", "Ru.Linux", "RU.LINUX", "N5020.TALK", "fido7.soft", "X"};
  const char* const addresses[] = {"2:5020/1", "2:5020/1.0", "1:2/3", "2:5030/40.7"};
  const char* const days[] = {"08 Dec 26  23:59:59 ", "09 Dec 26  00:00:00 ", "09 Dec 26  12:34:56 ",
                              "10 Dec 26  00:00:00 ", "10 Dec 26  00:01:00 ", "09 Dec 26  7:5:0 "};
  std::string log;
  for (std::size_t i = 0; i < lines; ++i) {
    std::string line = days[pick(6)];
    if (pick(5) == 0) line += "[" + std::to_string(10 + pick(90)) + "] ";
    const std::string tag = tags[pick(7)];
    const std::string address = addresses[pick(4)];
    const std::string figure = pick(20) == 0 ? "4294967295" : std::to_string(pick(100000));
    switch (pick(12)) {
      case 0: line += tag + ": toss - " + figure + " (" + figure + " bytes), dupes - 3, sent - " + figure; break;
      case 1: line += tag + ": toss - 2 (" + figure + " bytes)"; break;
      case 2: line += tag + ": sent - " + figure; break;
      case 3: line += tag + ": dupes - " + figure; break;
      case 4: line += "[Inbound] ABCD1234.PKT (" + figure + " bytes) from " + address; break;
      case 5: line += "Sent to " + address + " - " + figure; break;
      case 6: line += "Real message from " + address; break;
      case 7: line += std::string(200 + pick(600), 'x') + "SU.LONG: sent - 1"; break;  // read in pieces
      case 8: line += tag + ": sent\r - 5"; break;                                     // a stray CR
      case 9: line += tag + std::string(1, '\0') + ": sent - 7"; break;                // a NUL
      case 10: line = std::string(pick(30), ' '); break;                               // no stamp at all
      default: line += "Tossing mail..."; break;
    }
    log += line + (pick(4) == 0 ? "\n" : "\r\n");
  }
  return log;
}

class ChunkedReadingTest : public testing_support::TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    path_ = (dir_ / "tosser.log").string();
  }

  // Reads the log line by line, into sets that may hold figures already.
  std::string ReadAlone(AreaSet areas = {}, LinkSet links = {}) {
    LineCounts counts;
    LogTally tally{period_, areas, links, counts, nullptr};
    TextReader log;
    EXPECT_TRUE(log.Open(path_));
    EXPECT_TRUE(ReadLogAlone(log, tally, [](LineUse, std::string_view, std::string_view) {}));
    return Snapshot(areas, links, counts);
  }

  // Reads the log in chunks, going on alone where the chunks leave it to that.
  std::string ReadInChunks(std::uint64_t chunk_size, unsigned threads, AreaSet areas = {}, LinkSet links = {},
                           ChunkedReading::Outcome* outcome = nullptr) {
    ReadOnlyFile file;
    EXPECT_TRUE(file.Open(path_));
    return ReadInChunks(file, chunk_size, threads, std::move(areas), std::move(links), outcome);
  }

  // The same through a log opened before, all of it read through that one open file.
  std::string ReadInChunks(const ReadOnlyFile& file, std::uint64_t chunk_size, unsigned threads, AreaSet areas = {},
                           LinkSet links = {}, ChunkedReading::Outcome* outcome = nullptr) {
    LineCounts counts;
    LogTally tally{period_, areas, links, counts, nullptr};
    std::uint64_t size = 0;
    EXPECT_TRUE(file.Size(&size));
    const ChunkedReading chunked = ReadLogInChunks(file, size, chunk_size, threads, tally);
    if (outcome != nullptr) *outcome = chunked.outcome;
    EXPECT_NE(chunked.outcome, ChunkedReading::kFailed);
    if (chunked.outcome == ChunkedReading::kGoOnAlone) {
      TextReader log;
      log.Open(file);
      EXPECT_TRUE(ReadLogAlone(log, tally, [](LineUse, std::string_view, std::string_view) {}));
    }
    return Snapshot(areas, links, counts);
  }

  const ScopedTimeZone zone_{"UTC"};
  const ReportPeriod period_ = YesterdayPeriod();
  std::string path_;
};

TEST_F(ChunkedReadingTest, ChunksOfEverySizeAddUpToReadingAlone) {
  // A short log read in chunks of every small size puts a chunk's start on every byte:
  // inside stamps, in CR LF pairs, in long lines, right after newlines.
  WriteBytes(path_, MakeLog(60, 1));
  const std::string alone = ReadAlone();
  ASSERT_NE(alone.find("Ru.Linux"), std::string::npos) << alone;  // the log does reach the sets
  for (std::uint64_t chunk_size = 1; chunk_size <= 300; chunk_size += (chunk_size < 64 ? 1 : 37)) {
    for (unsigned threads : {1U, 2U, 3U}) {
      ASSERT_EQ(ReadInChunks(chunk_size, threads), alone)
          << "chunks of " << chunk_size << ", " << threads << " threads";
    }
  }

  // A longer log, with chunks across read blocks.
  WriteBytes(path_, MakeLog(40000, 2));
  const std::string long_alone = ReadAlone();
  for (std::uint64_t chunk_size : {4093ULL, 65536ULL, 1000003ULL}) {
    for (unsigned threads : {2U, 4U}) {
      EXPECT_EQ(ReadInChunks(chunk_size, threads), long_alone) << "chunks of " << chunk_size << ", " << threads;
    }
  }
}

TEST_F(ChunkedReadingTest, AnEndOfFileMarkEndsTheLogInWhicheverChunkItFalls) {
  const std::string log = MakeLog(80, 3);
  for (std::size_t at : {std::size_t{0}, std::size_t{1}, log.size() / 3, log.size() / 2 + 1, log.size() - 2}) {
    std::string marked = log;
    marked.insert(at, 1, '\x1A');
    WriteBytes(path_, marked);
    const std::string alone = ReadAlone();
    for (std::uint64_t chunk_size : {1ULL, 17ULL, 64ULL, 250ULL}) {
      ASSERT_EQ(ReadInChunks(chunk_size, 2), alone) << "mark at " << at << ", chunks of " << chunk_size;
    }
  }
}

TEST_F(ChunkedReadingTest, ByteTotalsPastWhatADoubleHoldsExactlyAreLeftToReadingAlone) {
  // Beyond 2^53 a double rounds each addition, so chunk totals added up would come out
  // otherwise than line by line: from there on the log is read line by line.
  std::string log;
  for (int i = 0; i < 200; ++i) {
    log += "09 Dec 26  10:00:00 BIG: toss - 1 (4294967295 bytes)\r\n";
    log += "09 Dec 26  10:00:00 [Inbound] ABCD1234.PKT (4294967295 bytes) from 2:5020/1\r\n";
  }
  WriteBytes(path_, log);
  const auto near_limit = [](AreaSet* areas, LinkSet* links) {
    areas->Add("BIG").imported_bytes = std::ldexp(1.0, 53) - 1e11;
    links->Add("2:5020/1").bytes_received = 12345;
  };
  AreaSet areas;
  LinkSet links;
  near_limit(&areas, &links);
  const std::string alone = ReadAlone(areas, links);
  for (unsigned threads : {1U, 2U}) {
    ChunkedReading::Outcome outcome = ChunkedReading::kComplete;
    EXPECT_EQ(ReadInChunks(700, threads, areas, links, &outcome), alone);
    EXPECT_EQ(outcome, ChunkedReading::kGoOnAlone);
  }
}

TEST_F(ChunkedReadingTest, ALogRenamedOrReplacedWhileOpenIsReadAsOpened) {
  // The log is rotated between opening it and reading it: its name now leads to a new,
  // longer log. Every thread must go on reading the file that was opened, at its size.
  WriteBytes(path_, MakeLog(20000, 5));
  const std::uint64_t opened_size = std::filesystem::file_size(path_);
  const std::string alone = ReadAlone();
  ReadOnlyFile file;
  ASSERT_TRUE(file.Open(path_));
  std::filesystem::rename(path_, dir_ / "tosser.old");
  WriteBytes(dir_ / "tosser.new", MakeLog(30000, 6));
  std::filesystem::rename(dir_ / "tosser.new", path_);
  std::uint64_t size = 0;
  ASSERT_TRUE(file.Size(&size));
  EXPECT_EQ(size, opened_size);
  for (unsigned threads : {1U, 2U, 3U}) {
    EXPECT_EQ(ReadInChunks(file, 5000, threads), alone) << threads << " threads";
  }
  EXPECT_NE(ReadAlone(), alone);  // the name does lead to another log
}

TEST_F(ChunkedReadingTest, ALogThatCannotBeReadFails) {
  LineCounts counts;
  AreaSet areas;
  LinkSet links;
  LogTally tally{period_, areas, links, counts, nullptr};
  ReadOnlyFile folder;  // a folder opens, but reading it fails
  ASSERT_TRUE(folder.Open(dir_.string()));
  EXPECT_EQ(ReadLogInChunks(folder, 10000, 100, 2, tally).outcome, ChunkedReading::kFailed);
  const ReadOnlyFile never_opened;
  EXPECT_EQ(ReadLogInChunks(never_opened, 10000, 100, 2, tally).outcome, ChunkedReading::kFailed);
}

TEST_F(ChunkedReadingTest, ARunWritesTheSameReportsWithAnyNumberOfThreads) {
  // A log long enough to be read in chunks by the program itself: two chunks and more.
  const std::string block = MakeLog(20000, 4);
  std::string log;
  while (log.size() < 2 * kestrum::Run::kLogChunkSize + TextReader::kBlockSize) log += block;
  WriteBytes(path_, log);
  WriteBytes(dir_ / "Squish.cfg", "EchoArea RU.LINUX d:\\msg\\linux\r\nEchoArea OLD.AREA d:\\msg\\old -0\r\n");
  // Yesterday, and the three days of the log with the days and hours of each; areas
  // ignored, deleted and unknown, the unknown ones shown or not: the days and hours count
  // the areas that the run's configuration shows, whichever thread meets them first.
  const auto run_with = [&](unsigned threads, const char* period, const char* show_unknown) {
    const std::string report = (dir_ / ("r" + std::to_string(threads))).string();
    WriteBytes(dir_ / "k.cfg", "Tovark.Log " + path_ + "\r\nSquish.Cfg " + (dir_ / "Squish.cfg").string() +
                                   "\r\nPeriod " + period + "\r\nIgnore.Area SU.GENERAL\r\nDeletedArea 3 N5020.TALK" +
                                   "\r\nShow.Unknown.Area " + show_unknown + "\r\nOut.File.Name " + report +
                                   " AIiEPDdLFTXCH\r\n");
    StringSink console;
    kestrum::Run run(console, [] { return kNow; });
    run.set_log_threads(threads);
    EXPECT_EQ(run.Main({"-c", (dir_ / "k.cfg").string()}), kExitOk) << console.text();
    EXPECT_EQ(run.read_log_in_chunks(), threads > 1) << threads << " threads";
    return ReadBytes(report);
  };
  for (const char* period : {"1,00:00 0,00:00", "2,00:00 0,24:00"}) {
    for (const char* show_unknown : {"Yes", "No"}) {
      const std::string alone = run_with(1, period, show_unknown);
      EXPECT_NE(alone.find("Ru.Linux"), std::string::npos);
      EXPECT_EQ(run_with(2, period, show_unknown), alone) << period << ", unknown areas shown: " << show_unknown;
    }
  }
}

}  // namespace
}  // namespace kestrum
