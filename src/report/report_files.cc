#include "report/report_files.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "platform/cp866.h"
#include "platform/file_lock.h"
#include "platform/file_replacement.h"
#include "platform/format.h"
#include "report/area_reports.h"
#include "report/box_table.h"
#include "report/html_page.h"
#include "report/html_table.h"
#include "report/link_reports.h"
#include "stats/scan.h"

namespace kestrum {

namespace {

constexpr std::string_view kBadOutFileName = "Ошибка в имени файла или в списке ключей"_cp866;
constexpr std::string_view kCannotWriteReport = "\nОшибка записи в файл %s\n"_cp866;
// Both name the bound.
static_assert(kReportWaitBound == std::chrono::minutes(10));
constexpr std::string_view kWaitingForReport = "\nФайл %s занят, жду его освобождения (не дольше 10 минут)\n"_cp866;
constexpr std::string_view kGaveUpOnReport = "\nФайл %s занят дольше 10 минут, отчёт в него не записан\n"_cp866;
constexpr std::string_view kPeriodTitle = "           Отчётный период:\n"_cp866;
constexpr std::string_view kFooter = "\nKestrum, %s";

// Letters that bring no table of their own: a file of only these gets neither the
// period header nor the footer.
constexpr std::string_view kLettersWithoutFrame = "+d";
constexpr char kAppendLetter = '+';

// A page is written with its bytes as they are; a report file in text mode.
TextWriter::LineEnds LineEndsOf(bool page) { return page ? TextWriter::LineEnds::kLf : TextWriter::LineEnds::kCrLf; }

std::optional<LaidOutTable> LayOut(char letter, const ReportInput& input) {
  if (auto table = LayOutAreaReport(letter, input.areas, input.options)) return table;
  if (auto table = LayOutLinkReport(letter, input.links)) return table;
  return LayOutTimeReport(letter, input.times);
}

void WriteTextFile(std::string_view letters, const ReportInput& input, Sink& out) {
  const bool framed = letters.find_first_not_of(kLettersWithoutFrame) != std::string::npos;
  if (framed) WritePeriodHeader(out, input.period_text, input.console);
  for (const char letter : letters) {
    if (auto table = LayOut(letter, input)) WriteTextReport(std::move(*table), out, input.console);
  }
  if (framed) {
    Print(out, kFooter, VERSION_TEXT);
    out.Write("\n");
    out.Write(kMakerLine);
    out.Write("\n");
  }
}

void WritePage(std::string_view letters, const ReportInput& input, Sink& out) {
  WriteHtmlPageStart(input.period_text, out);
  for (const char letter : letters) {
    if (const auto table = LayOut(letter, input)) WriteHtmlReport(*table, out);
  }
  WriteHtmlPageEnd(VERSION_TEXT, kMakerLine, out);
}

}  // namespace

bool IsReportLetter(char letter) {
  return letter == kAppendLetter || IsAreaReportLetter(letter) || IsLinkReportLetter(letter) ||
         IsTimeReportLetter(letter);
}

bool ReportFiles::AnyLetterOf(std::string_view letters) const {
  return std::any_of(files_.begin(), files_.end(),
                     [&](const ReportFile& file) { return file.letters.find_first_of(letters) != std::string::npos; });
}

const char* ReportFiles::Accept(std::string_view value, bool page) {
  const char* const refused = kBadOutFileName.data();
  if (files_.size() >= REPORT_FILES_MAX) return refused;

  // "%s %s": the path and the letters; any further words are ignored. As for any C text,
  // a NUL byte ends the value.
  value = value.substr(0, value.find('\0'));
  Scanner scan(value);
  std::string_view path;
  std::string_view letters;
  if (!scan.Word(0, &path)) return refused;
  scan.SkipSpace();
  if (!scan.Word(0, &letters)) return refused;
  if (path.size() > kMaxReportPath || letters.size() > kMaxReportLetters) return refused;
  if (!std::all_of(letters.begin(), letters.end(), IsReportLetter)) return refused;
  // A page is never appended to.
  if (page && letters.find(kAppendLetter) != std::string_view::npos) return refused;

  // Opening for appending checks that the file can be written, and creates a missing one
  // empty, without touching an existing one: a run that fails before its reports leaves
  // every report as it was. A regular file is written whole once the reports are
  // written; a device or pipe, which cannot be replaced, is written through this stream.
  auto stream = std::make_unique<TextWriter>();
  if (!stream->Open(std::string(path), TextWriter::Mode::kAppend, LineEndsOf(page))) return refused;
  if (stream->is_regular_file()) {
    stream->Close();
    stream.reset();
  }
  files_.push_back(ReportFile{std::string(path), std::string(letters), std::move(stream), page, false, false});
  return nullptr;
}

void ReportFiles::WriteReportFiles(const ReportInput& input) {
  const auto write = [&](const ReportFile& file, Sink& out) {
    if (file.page) {
      WritePage(file.letters, input, out);
    } else {
      WriteTextFile(file.letters, input, out);
    }
  };
  for (ReportFile& file : files_) {
    if (file.stream) {
      write(file, *file.stream);
      continue;
    }
    const bool appends = file.letters.find(kAppendLetter) != std::string::npos;
    // Letters of only + add nothing: the file is left as it is.
    if (file.letters.find_first_not_of(kAppendLetter) == std::string::npos) continue;

    // The lock is held from before the old content is read until the new file is in
    // place, so that runs that overlap write one after another and none loses another's
    // report; a temporary file that a killed run left is removed under it.
    FileLock lock;
    const FileLock::Result locked = lock.Lock(file.path, kReportWaitBound, [&] {
      Print(input.console, kWaitingForReport, file.path);
      input.console.Flush();
    });
    if (locked == FileLock::Result::kTimedOut) {
      Print(input.console, kGaveUpOnReport, file.path);
      file.timed_out = true;
      continue;
    }
    if (locked == FileLock::Result::kHeld) FileReplacement::RemoveLeftovers(file.path);
    TextWriter out;
    if (!out.Open(file.path, appends ? TextWriter::Mode::kAppendWhole : TextWriter::Mode::kReplace,
                  LineEndsOf(file.page))) {
      file.failed = true;
      continue;
    }
    write(file, out);
    file.failed = !out.Close();
  }
}

bool ReportFiles::CloseReportFiles(Sink& console) {
  bool all_written = true;
  for (ReportFile& file : files_) {
    if (file.stream && !file.stream->Close()) file.failed = true;
    if (file.failed) Print(console, kCannotWriteReport, file.path);
    if (file.failed || file.timed_out) all_written = false;
  }
  files_.clear();
  return all_written;
}

void WritePeriodHeader(Sink& out, std::string_view period_text, Sink& console) {
  BoxTable table({COL_LEFT});
  table.AddRow(kPeriodTitle, 0.0);
  // Before any Period the display text is empty; the row is then one empty cell.
  table.AddRow(period_text.empty() ? std::string_view("\n") : period_text, 0.0);
  WriteTable(std::move(table), out, console);
}

}  // namespace kestrum
