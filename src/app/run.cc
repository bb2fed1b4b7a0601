#include "app/run.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <thread>

#include "config/config_reader.h"
#include "platform/cp866.h"
#include "platform/format.h"
#include "platform/memory.h"
#include "platform/read_only_file.h"
#include "platform/text_file.h"
#include "stats/area_parser.h"
#include "stats/link_parser.h"

namespace kestrum {

namespace {

constexpr std::string_view kDefaultConfigFile = "Kestrum.Cfg";
constexpr std::string_view kUsage = "Usage: Kestrum [-c filename]\n";
constexpr std::string_view kParsing = "Parsing %s... ";
constexpr std::string_view kDoneParsing = "Done.\nParsing %s... ";
constexpr std::string_view kWritingOutput = "Done.\nWriting output files... ";
constexpr std::string_view kDone = "Done.\n";
constexpr std::string_view kCannotOpenLog = "Не могу открыть файл %s\n"_cp866;
constexpr std::string_view kCannotReadLog = "\nОшибка чтения файла %s\n"_cp866;
constexpr std::string_view kCannotCreateDebug = "\nНе могу создать файл %s\n"_cp866;
constexpr std::string_view kCannotWriteDebug = "\nОшибка записи в файл %s\n"_cp866;
constexpr std::string_view kCountRead = "Всего из лога прочитано  %lu строк\n"_cp866;
constexpr std::string_view kCountInPeriod = "Попало в заданный период %lu строк\n"_cp866;
constexpr std::string_view kCountAreaLines = "Содержали информацию об эхах  %lu строк\n"_cp866;
constexpr std::string_view kCountLinkLines = "Содержали информацию о линках %lu строк\n"_cp866;

constexpr const char* kDebugFileNames[3] = {"f1.txt", "f2.txt", "f3.txt"};

unsigned DefaultLogThreads() { return std::clamp(std::thread::hardware_concurrency(), 1U, 4U); }

}  // namespace

// The debug files: area lines, link lines, and the other lines inside the period.
struct Run::DebugFiles {
  TextWriter area_lines;
  TextWriter link_lines;
  TextWriter other_lines;
  TextWriter* all[3] = {&area_lines, &link_lines, &other_lines};
};

Run::Run(Sink& console, Clock clock)
    : console_(console), period_(std::move(clock)), log_threads_(DefaultLogThreads()) {}

Run::~Run() = default;

// The one place that says which code serves which keyword; the statistics and reports
// take value texts and know nothing of the configuration's format.
void Run::InstallHandlers() {
  const auto install = [this](int keyword, auto take) {
    keywords_.SetKeywordHandler(keyword, [take](KeywordEntry& entry) { return take(ValueText(entry)); });
  };
  install(kPeriod, [this](std::string_view value) { return period_.HandlePeriod(value); });
  install(kEchoArea, [this](std::string_view value) { return HandleEchoArea(areas_, value); });
  install(kIgnoreArea, [this](std::string_view value) { return HandleIgnoreArea(areas_, value); });
  install(kDeletedArea, [this](std::string_view value) { return HandleDeletedArea(areas_, value); });
  install(kNetArea, [this](std::string_view value) { return HandleIgnoreArea(areas_, value); });
  install(kIgnoreLink, [this](std::string_view value) { return HandleIgnoreLink(links_, value); });
  install(kOutFileName, [this](std::string_view value) { return report_files_.HandleOutFileName(value); });
  install(kOutHtmlName, [this](std::string_view value) { return report_files_.HandleOutHtmlName(value); });
}

ReportOptions Run::Options() const {
  return ReportOptions{keywords_.KeywordInt(kShowDeletedArea) != 0, keywords_.KeywordInt(kShowUnknownArea) != 0};
}

int Run::Main(const std::vector<std::string>& args) {
  read_log_in_chunks_ = false;
  times_.reset();
  Print(console_, "Kestrum, %s%s\n", VERSION_TEXT, kMakerNotice);
  std::string config_file(kDefaultConfigFile);
  if (args.size() == 2 && args[0] == "-c") {
    config_file = args[1];
  } else if (!args.empty()) {
    console_.Write(kUsage);
    return kExitUsage;
  }

  counts_ = LineCounts{};
  InstallHandlers();
  Print(console_, kParsing, config_file);
  ConfigReader reader(keywords_, console_);
  if (reader.ReadConfigFile(config_file.c_str()) != 0) return CleanUp(kExitFailure);
  if (reader.ReadConfigFile(keywords_.KeywordValue(kSquishCfg)) != 0) return CleanUp(kExitFailure);

  Print(console_, kDoneParsing, keywords_.KeywordValue(kTovarkLog));
  if (!ReadLog()) return CleanUp(kExitFailure);
  int status = kExitOk;

  console_.Write(kWritingOutput);
  const ReportInput input{areas_, links_, times_ ? &*times_ : nullptr, Options(), period_.DisplayText(), console_};
  report_files_.WriteReportFiles(input);
  console_.Write(kDone);

  if (keywords_.KeywordInt(kDebug) != 0) {
    Print(console_, kCountRead, counts_.read);
    Print(console_, kCountInPeriod, counts_.in_period);
    Print(console_, kCountAreaLines, counts_.area_lines);
    Print(console_, kCountLinkLines, counts_.link_lines);
  }
  CloseDebugFiles();
  if (debug_failed_) status = kExitFailure;
  return CleanUp(status);
}

bool Run::ReadLog() {
  const char* log_name = keywords_.KeywordValue(kTovarkLog);
  // The log is opened once: every thread reads this one open file, so a log renamed or
  // replaced meanwhile cannot mix two files, and its size is the open file's.
  ReadOnlyFile file;
  if (log_name == nullptr || !file.Open(log_name)) {
    Print(console_, kCannotOpenLog, log_name);
    return false;
  }
  TextReader log;
  log.Open(file);

  if (keywords_.KeywordInt(kDebug) != 0) OpenDebugFiles();
  DebugFiles* const debug = debug_.get();

  // The day and hour figures are kept only for a report that shows them; which areas
  // they count is known from the configuration.
  if (report_files_.AnyLetterOf(kTimeReportLetters)) {
    const ReportOptions options = Options();
    times_.emplace(TimeFigures::ForWindow(period_, HiddenAreaFlags(options.show_deleted, options.show_unknown)));
  }
  LogTally tally{period_, areas_, links_, counts_, times_ ? &*times_ : nullptr};

  // A long log is read by several threads at once, except for the debug files, which
  // take the lines in their order.
  std::uint64_t size = 0;
  if (debug == nullptr && log_threads_ > 1 && file.Size(&size) && size >= 2 * kLogChunkSize &&
      size <= TextReader::kMaxOffset) {
    const ChunkedReading chunked = ReadLogInChunks(file, size, kLogChunkSize, log_threads_, tally);
    // The reading threads' own sets are gone: their memory goes back before the reports.
    ReturnFreedMemory();
    if (chunked.outcome == ChunkedReading::kComplete) {
      read_log_in_chunks_ = true;
      return TakeOut(file, chunked.end, tally, log_name);
    }
    if (chunked.outcome == ChunkedReading::kFailed) {
      Print(console_, kCannotReadLog, log_name);
      return false;
    }
  }

  const bool read = ReadLogAlone(log, tally, [&](LineUse use, std::string_view line, std::string_view text) {
    if (debug == nullptr) return;
    switch (use) {
      case LineUse::kArea: debug->area_lines.Write(text); break;
      case LineUse::kLink: debug->link_lines.Write(text); break;
      default: debug->other_lines.Write(line); break;
    }
  });
  if (!read) {
    Print(console_, kCannotReadLog, log_name);
    return false;
  }
  return TakeOut(file, log.position(), tally, log_name);
}

bool Run::TakeOut(const ReadOnlyFile& file, std::uint64_t end, LogTally& tally, const char* log_name) {
  if (TakeOutUnlistedAreas(file, end, tally)) return true;
  Print(console_, kCannotReadLog, log_name);
  return false;
}

void Run::OpenDebugFiles() {
  debug_ = std::make_unique<DebugFiles>();
  for (int i = 0; i < 3; ++i) {
    if (!debug_->all[i]->Open(kDebugFileNames[i], TextWriter::Mode::kTruncate)) {
      Print(console_, kCannotCreateDebug, kDebugFileNames[i]);
      debug_failed_ = true;
    }
  }
}

void Run::CloseDebugFiles() {
  if (!debug_) return;
  for (int i = 0; i < 3; ++i) {
    if (debug_->all[i]->is_open() && !debug_->all[i]->Close()) {
      Print(console_, kCannotWriteDebug, kDebugFileNames[i]);
      debug_failed_ = true;
    }
  }
  debug_.reset();
}

int Run::CleanUp(int status) {
  CloseDebugFiles();  // only open here when the run stopped early
  keywords_.FreeKeywordValues();
  if (!report_files_.CloseReportFiles(console_) && status == kExitOk) status = kExitFailure;
  return status;
}

}  // namespace kestrum
