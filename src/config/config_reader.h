// Reads a configuration file of keyword lines against the keyword table: cuts each line
// into a keyword and a value, stores the value, runs the keyword's handler, and reports
// every line it cannot accept with the file name and line number.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "config/keyword_table.h"
#include "platform/sink.h"

namespace kestrum {

// One read of a configuration line takes at most CONFIG_LINE_SIZE - 1 characters.
inline constexpr std::size_t CONFIG_LINE_SIZE = 1024;

// A line's keyword: leading blanks (space, tab) skipped, then everything up to a blank,
// newline, NUL or semicolon. *pos is left at the character that ended it.
std::string ScanKeyword(std::string_view line, std::size_t* pos);

// The words after the keyword, from pos up to a newline, NUL or semicolon, joined by
// single spaces; empty when there is none.
std::string ScanValue(std::string_view line, std::size_t pos);

class TextReader;

class ConfigReader {
 public:
  ConfigReader(KeywordTable& table, Sink& console) : table_(table), console_(console) {}

  // Reads the named file. Answers 0 when it was opened and every keyword line was
  // accepted, -1 otherwise; a refused line never stops the reading.
  int ReadConfigFile(const char* file_name);

  // The number of the line last read (every read counts, blank and comment lines too).
  std::int64_t line_number() const { return line_number_; }

 private:
  // The next line that holds a keyword; false at end of file.
  bool ReadKeywordLine(TextReader& file, std::string* keyword, std::string* value);

  KeywordTable& table_;
  Sink& console_;
  std::int64_t line_number_ = 0;
};

}  // namespace kestrum
