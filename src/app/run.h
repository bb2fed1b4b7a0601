// One run of the program from start to end: the banner, the command line, both
// configuration files, the tosser log, the reports and the clean-up. The run object owns
// all of a run's state, so a test can build a fresh run in a line.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/log_reading.h"
#include "config/keyword_table.h"
#include "platform/local_time.h"
#include "platform/sink.h"
#include "report/report_files.h"
#include "stats/area_set.h"
#include "stats/link_set.h"
#include "stats/period.h"
#include "stats/time_figures.h"

namespace kestrum {

// Exit statuses: a scheduler must be able to tell a complete run from a failed one.
enum ExitStatus : int {
  kExitOk = 0,
  kExitFailure = 1,  // configuration refused, log not opened, a file could not be written
  kExitUsage = 2,    // refused command line
};

class Run {
 public:
  Run(Sink& console, Clock clock = SystemNow);
  ~Run();
  Run(const Run&) = delete;
  Run& operator=(const Run&) = delete;

  // Runs with the arguments after the program name; answers the exit status.
  int Main(const std::vector<std::string>& args);

  // How many threads may read a long log at once (at least one); by default as many as
  // the machine has cores, up to four. The results are the same for any number.
  void set_log_threads(unsigned threads) { log_threads_ = threads; }

  // A log is read in chunks of sixteen read blocks (4 MiB), less a little: the line that
  // crosses a chunk's end is then mostly within the blocks already read for the chunk.
  // Without Debug, logs of two chunks or more are read by several threads when the run
  // may use more than one.
  static constexpr std::uint64_t kLogChunkSize = 16 * TextReader::kBlockSize - 4096;

  // Whether the last Main read the log in chunks on several threads to its end (false
  // for a run that ended before reading it).
  bool read_log_in_chunks() const { return read_log_in_chunks_; }

 private:
  void InstallHandlers();
  // What the Show keywords let the reports show.
  ReportOptions Options() const;
  // Reads the log, counting and routing each line; false when it cannot be opened or read.
  bool ReadLog();
  // The day and hour figures without the areas no report lists (TakeOutUnlistedAreas),
  // the log read up to end; false, naming the log, when it could not be read again.
  bool TakeOut(const ReadOnlyFile& file, std::uint64_t end, LogTally& tally, const char* log_name);
  // Creates f1.txt, f2.txt and f3.txt; a file that cannot be created is named and skipped.
  void OpenDebugFiles();
  void CloseDebugFiles();
  int CleanUp(int status);

  struct DebugFiles;

  Sink& console_;
  KeywordTable keywords_;
  ReportPeriod period_;
  AreaSet areas_;
  LinkSet links_;
  std::optional<TimeFigures> times_;  // only when a report shows days or hours
  ReportFiles report_files_;
  LineCounts counts_;
  std::unique_ptr<DebugFiles> debug_;  // only with Debug on
  bool debug_failed_ = false;
  unsigned log_threads_;
  bool read_log_in_chunks_ = false;
};

}  // namespace kestrum
