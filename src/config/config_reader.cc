#include "config/config_reader.h"

#include "platform/cp866.h"
#include "platform/format.h"
#include "platform/text_file.h"

namespace kestrum {

namespace {

constexpr std::string_view kOpenFailed = "\nОшибка открытия файла %s\n"_cp866;
constexpr std::string_view kUnknownKeyword = "\n%s, строка %i. Неизвестное ключевое слово %s\n"_cp866;
constexpr std::string_view kRefused = "\n%s, строка %i. %s\n"_cp866;
constexpr std::string_view kReadFailed = "\nОшибка чтения файла %s\n"_cp866;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool EndsValue(char c) { return c == '\n' || c == '\0' || c == ';'; }

}  // namespace

std::string ScanKeyword(std::string_view line, std::size_t* pos) {
  std::size_t i = *pos;
  while (i < line.size() && IsBlank(line[i])) ++i;
  const std::size_t start = i;
  while (i < line.size() && !IsBlank(line[i]) && !EndsValue(line[i])) ++i;
  *pos = i;
  return std::string(line.substr(start, i - start));
}

std::string ScanValue(std::string_view line, std::size_t pos) {
  std::string value;
  std::size_t i = pos;
  while (true) {
    while (i < line.size() && IsBlank(line[i])) ++i;
    if (i >= line.size() || EndsValue(line[i])) break;
    const std::size_t start = i;
    while (i < line.size() && !IsBlank(line[i]) && !EndsValue(line[i])) ++i;
    value.append(line.substr(start, i - start));
    value.push_back(' ');
  }
  if (!value.empty()) value.pop_back();
  return value;
}

bool ConfigReader::ReadKeywordLine(TextReader& file, std::string* keyword, std::string* value) {
  std::string_view line;
  while (file.ReadLine(CONFIG_LINE_SIZE - 1, &line)) {
    ++line_number_;
    std::size_t pos = 0;
    *keyword = ScanKeyword(line, &pos);
    if (keyword->empty()) continue;
    *value = ScanValue(line, pos);
    return true;
  }
  return false;
}

int ConfigReader::ReadConfigFile(const char* file_name) {
  TextReader file;
  if (file_name == nullptr || !file.Open(file_name)) {
    Print(console_, kOpenFailed, file_name);
    return -1;
  }
  line_number_ = 0;
  int answer = 0;
  std::string keyword;
  std::string value;
  while (ReadKeywordLine(file, &keyword, &value)) {
    KeywordEntry* entry = table_.Find(keyword);
    if (entry == nullptr) {
      Print(console_, kUnknownKeyword, file_name, line_number_, keyword);
      answer = -1;
      continue;
    }
    entry->value = value;
    ++entry->times_set;
    if (entry->handler) {
      if (const char* message = entry->handler(*entry)) {
        Print(console_, kRefused, file_name, line_number_, message);
        answer = -1;
      }
    }
  }
  // A file that could not be read to its end (a folder, a failing disk) was not read.
  if (file.Failed()) {
    Print(console_, kReadFailed, file_name);
    answer = -1;
  }
  return answer;
}

}  // namespace kestrum
