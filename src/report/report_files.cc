#include "report/report_files.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "platform/cp866.h"
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
  // every report as it was. A file without + is replaced whole once its reports are
  // written; one with +, or a device or pipe, which cannot be replaced, is written
  // through this stream.
  auto stream = std::make_unique<TextWriter>();
  if (!stream->Open(std::string(path), TextWriter::Mode::kAppend, LineEndsOf(page))) return refused;
  if (letters.find(kAppendLetter) == std::string_view::npos && stream->is_regular_file()) {
    stream->Close();
    stream.reset();
  }
  files_.push_back(ReportFile{std::string(path), std::string(letters), std::move(stream), false, page});
  return nullptr;
}

void ReportFiles::WriteReportFiles(const ReportInput& input) {
  for (ReportFile& file : files_) {
    if (!file.stream) {
      file.stream = std::make_unique<TextWriter>();
      if (!file.stream->Open(file.path, TextWriter::Mode::kReplace, LineEndsOf(file.page))) {
        file.stream.reset();
        file.unwritable = true;
        continue;
      }
    }
    if (file.page) {
      WritePage(file.letters, input, *file.stream);
    } else {
      WriteTextFile(file.letters, input, *file.stream);
    }
  }
}

bool ReportFiles::CloseReportFiles(Sink& console) {
  bool all_written = true;
  for (ReportFile& file : files_) {
    // A file still to be replaced was never written: its run ended before the reports.
    if (file.unwritable || (file.stream && !file.stream->Close())) {
      Print(console, kCannotWriteReport, file.path);
      all_written = false;
    }
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
