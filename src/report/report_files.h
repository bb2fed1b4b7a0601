// The report files named by Out.File.Name lines, and the web pages named by Out.Html.Name
// lines: each is checked (and created if missing) when its line is accepted, gets the
// period header, the reports of its letters in order and the footer once the log is read,
// and is closed at the end of the run. A file without + is replaced whole, and only by a
// complete report; one with + is appended to as a whole: it gains the complete report or
// stays as it was. A page is always replaced whole. One run at a time writes a file: a
// run waits for another that writes it, up to kReportWaitBound.
#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/sink.h"
#include "platform/text_file.h"
#include "report/area_reports.h"
#include "report/time_reports.h"
#include "stats/area_set.h"
#include "stats/link_set.h"
#include "stats/time_figures.h"

namespace kestrum {

inline constexpr std::size_t REPORT_FILES_MAX = 10;
inline constexpr std::size_t kMaxReportPath = 79;
inline constexpr std::size_t kMaxReportLetters = 29;

// How long a run waits for a report file that another run writes before it gives up.
inline constexpr std::chrono::minutes kReportWaitBound{10};

// "ver. 0.1.2/W32": the version shown on the banner and in every report footer.
inline constexpr std::string_view VERSION_TEXT = "ver. 0.1.2/W32";
// Follows the version on the banner line, and stands alone as the footer's last line.
inline constexpr std::string_view kMakerNotice = " (c) The Kestrum developers";
inline constexpr std::string_view kMakerLine = "(c) The Kestrum developers";

// Everything a report needs once the log has been read.
struct ReportInput {
  const AreaSet& areas;
  const LinkSet& links;
  const TimeFigures* times;  // kept when a file has a report of days or hours
  ReportOptions options;
  std::string_view period_text;  // the period's display text
  Sink& console;                 // echo of cut table cells
};

// True for a letter of Out.File.Name: a report's, or + (append).
bool IsReportLetter(char letter);

class ReportFiles {
 public:
  // Takes the Out.File.Name value text "path letters". Answers nullptr, or the message
  // "Ошибка в имени файла или в списке ключей".
  const char* HandleOutFileName(std::string_view value) { return Accept(value, false); }
  // Takes the Out.Html.Name value text "path letters" as Out.File.Name's, in the same
  // limit of files; + is refused with the same message.
  const char* HandleOutHtmlName(std::string_view value) { return Accept(value, true); }

  // Writes every file in configuration order, each under its lock, and puts each in
  // place. A file that another run holds past the bound is named on the console and
  // left as it was. Write errors are kept by each file and come out when the files are
  // closed: CloseReportFiles names the file.
  void WriteReportFiles(const ReportInput& input);

  // Closes the files written in place (devices and pipes). Answers false (and names the
  // file on the console) when a file could not be written completely, so that a full
  // disk never passes for success, or was not written for waiting too long; the old
  // content of such a file then stays.
  bool CloseReportFiles(Sink& console);

  std::size_t count() const { return files_.size(); }

  // True when a file's letters hold any of the letters given.
  bool AnyLetterOf(std::string_view letters) const;

 private:
  struct ReportFile {
    std::string path;
    std::string letters;
    // Open from the line's acceptance for a device or a pipe, which is written in place;
    // a regular file is opened when its reports are written.
    std::unique_ptr<TextWriter> stream;
    bool page = false;       // a web page: the reports drawn as HTML
    bool failed = false;     // not written completely: named when closed
    bool timed_out = false;  // given up on while another run held it: named already
  };
  const char* Accept(std::string_view value, bool page);

  std::vector<ReportFile> files_;
};

// The period header: a one-column table of the title and the period's display text.
void WritePeriodHeader(Sink& out, std::string_view period_text, Sink& console);

}  // namespace kestrum
