// Plain models of the log and configuration parsers, written the obvious way with the C
// library's formatted input (sscanf), strstr and strtoul on NUL-terminated copies. The
// differential tests and the fuzzers hold the hand-written parsers against them, so
// these must stay simple enough to be right by inspection. The numbers of the log forms
// are 32-bit unsigned; the models read them with %u into an unsigned int, as the C
// library's strtoul-based conversion gives them, and %i into an int the same way.
//
// The models follow the program's chosen limits: area tags longer than 199 characters
// and link addresses longer than 27 are declined, a tail figure that would begin past
// the end of a toss line reads as 0, and the parts of an address that are not read
// compare as 0. Texts handed to them hold no NUL (the log reader cuts a line there). The
// scan buffers take kMaxModelText characters; a longer tag or address is over its limit
// whether cut there or not, so the models answer right for texts of any length.
#pragma once

#include <strings.h>

#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/config_reader.h"
#include "config/keyword_table.h"
#include "platform/cp866.h"
#include "platform/local_time.h"
#include "stats/area_set.h"
#include "stats/link_set.h"

namespace kestrum::model {

// The width of every scan conversion that stores text; the buffers hold it and the NUL.
inline constexpr std::size_t kMaxModelText = 1000;

// printf into a std::string.
inline std::string CFormat(const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  std::va_list again;
  va_copy(again, args);
  const int size = std::vsnprintf(nullptr, 0, format, args);
  va_end(args);
  std::string out(static_cast<std::size_t>(size > 0 ? size : 0) + 1, '\0');
  std::vsnprintf(out.data(), out.size(), format, again);
  va_end(again);
  out.pop_back();
  return out;
}

// ---- Log line stamp and the Period value -------------------------------------------

// The calendar time of a log line's stamp, or none when the line is outside whatever the
// window: fewer than six items, a month not in the table, or no conversion.
inline std::optional<std::int64_t> StampTime(const std::string& line) {
  static const char* const kMonths[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  unsigned day = 0, year = 0, hour = 0, minute = 0, second = 0;
  char month[4] = {};
  if (std::sscanf(line.c_str(), "%u %3s %u  %u:%u:%u", &day, month, &year, &hour, &minute, &second) != 6) {
    return std::nullopt;
  }
  int index = -1;
  for (int i = 0; i < 12; ++i) {
    if (std::strcmp(month, kMonths[i]) == 0) {
      index = i;
      break;
    }
  }
  if (index < 0) return std::nullopt;
  LocalFields fields;
  fields.second = 0;
  fields.minute = static_cast<int>(minute);
  fields.hour = static_cast<int>(hour);
  fields.day = static_cast<int>(day);
  fields.month = index;
  fields.year = static_cast<int>(year + 100u);
  return FromLocal(&fields);
}

inline bool StampInside(const std::string& line, std::int64_t start, std::int64_t end) {
  const std::optional<std::int64_t> t = StampTime(line);
  return t && start <= *t && *t <= end;
}

// The display text of a window ("c" is the Latin letter, "по" Cyrillic).
inline constexpr std::string_view kDisplayFormat = "c %2i:%02i:00 %2i/%02i/%02i по %2i:%02i:00 %2i/%02i/%02i\n"_cp866;

struct Window {
  std::int64_t start = 0;
  std::int64_t end = 0;
  std::string display;
};

// The window of a Period value on the day of `now`, or none when the value is refused.
inline std::optional<Window> PeriodWindow(const std::string& value, std::int64_t now) {
  unsigned d1 = 0, h1 = 0, m1 = 0, d2 = 0, h2 = 0, m2 = 0;
  if (std::sscanf(value.c_str(), "%u,%u:%u %u,%u:%u\n", &d1, &h1, &m1, &d2, &h2, &m2) != 6) return std::nullopt;
  InitTimeZone();
  const std::optional<LocalFields> today = ToLocal(now);
  if (!today) return std::nullopt;
  const auto end_fields = [&](unsigned days_back, unsigned hour, unsigned minute) {
    LocalFields fields;
    fields.second = 0;
    fields.minute = static_cast<int>(minute);
    fields.hour = static_cast<int>(hour);
    fields.day = static_cast<int>(static_cast<unsigned>(today->day) - days_back);
    fields.month = today->month;
    fields.year = today->year;
    return fields;
  };
  LocalFields first = end_fields(d1, h1, m1);
  LocalFields last = end_fields(d2, h2, m2);
  const std::optional<std::int64_t> start = FromLocal(&first);
  const std::optional<std::int64_t> end = FromLocal(&last);
  if (!start || !end || !(*start < *end)) return std::nullopt;
  const std::string display =
      CFormat(kDisplayFormat.data(), static_cast<int>(first.hour), static_cast<int>(first.minute),
              static_cast<int>(first.day), static_cast<int>(first.month + 1), static_cast<int>(first.year - 100),
              static_cast<int>(last.hour), static_cast<int>(last.minute), static_cast<int>(last.day),
              static_cast<int>(last.month + 1), static_cast<int>(last.year - 100));
  return Window{*start, *end, display};
}

// ---- Area lines ----------------------------------------------------------------------

struct AreaFigures {
  std::string tag;
  std::uint32_t imported = 0;
  std::uint32_t bytes = 0;
  std::uint32_t exported = 0;
  std::uint32_t dupes = 0;
};

// strtoul at an offset of the text; an offset past the text's end reads as 0.
inline std::uint32_t FigureAt(const std::string& text, std::size_t offset) {
  if (offset > text.size()) return 0;
  return static_cast<std::uint32_t>(std::strtoul(text.c_str() + offset, nullptr, 10));
}

// What an area line adds, or none when the text is no area line.
inline std::optional<AreaFigures> AreaLine(const std::string& text) {
  const char* const s = text.c_str();
  char tag[kMaxModelText + 1];
  unsigned first = 0, second = 0;
  if (std::sscanf(s, "%1000[^: ]: toss - %u (%u bytes)", tag, &first, &second) == 3) {
    if (std::strlen(tag) > kMaxAreaTag) return std::nullopt;
    AreaFigures figures{tag, first, second, 0, 0};
    const std::size_t from = std::strlen(tag) + 22;
    if (from < text.size()) {
      if (const char* du = std::strstr(s + from, "du")) {
        figures.dupes = FigureAt(text, static_cast<std::size_t>(du - s) + 8);
      }
      if (const char* se = std::strstr(s + from, "se")) {
        figures.exported = FigureAt(text, static_cast<std::size_t>(se - s) + 7);
      }
    }
    return figures;
  }
  if (std::sscanf(s, "%1000[^: ]: sent - %u", tag, &first) == 2) {
    if (std::strlen(tag) > kMaxAreaTag || strcasecmp(tag, "total") == 0) return std::nullopt;
    return AreaFigures{tag, 0, 0, first, 0};
  }
  if (std::sscanf(s, "%1000[^: ]: dupes - %u", tag, &first) == 2) {
    if (std::strlen(tag) > kMaxAreaTag || strcasecmp(tag, "total") == 0) return std::nullopt;
    return AreaFigures{tag, 0, 0, 0, first};
  }
  return std::nullopt;
}

// ---- Link lines and the address order ------------------------------------------------

struct LinkFigures {
  std::string address;
  std::uint32_t received = 0;
  std::uint32_t sent = 0;
  std::uint32_t requests = 0;
};

// What a link line adds, or none when the text is no link line.
inline std::optional<LinkFigures> LinkLine(const std::string& text) {
  const char* const s = text.c_str();
  char address[kMaxModelText + 1];
  unsigned bytes = 0;
  if (std::sscanf(s, "[Inbound] %*8s.%*1[Pp]%*1[Kk]%*1[Tt] (%u bytes) from %1000[0-9:./]", &bytes, address) == 2 &&
      std::strlen(address) <= kMaxAddressText) {
    return LinkFigures{address, bytes, 0, 0};
  }
  if (std::sscanf(s, "Sent to %1000[0-9:./] - %u", address, &bytes) == 2 && std::strlen(address) <= kMaxAddressText) {
    return LinkFigures{address, 0, bytes, 0};
  }
  if (std::sscanf(s, "Real message from %1000[0-9:./]", address) == 1 && std::strlen(address) <= kMaxAddressText) {
    return LinkFigures{address, 0, 0, 1};
  }
  return std::nullopt;
}

// -1, 0 or 1 as address a comes before, with or after b.
inline int AddressOrder(const std::string& a, const std::string& b) {
  int x[4] = {0, 0, 0, 0};
  int y[4] = {0, 0, 0, 0};
  std::sscanf(a.c_str(), "%i:%i/%i.%i", &x[0], &x[1], &x[2], &x[3]);
  std::sscanf(b.c_str(), "%i:%i/%i.%i", &y[0], &y[1], &y[2], &y[3]);
  for (int i = 0; i < 4; ++i) {
    if (x[i] != y[i]) return x[i] < y[i] ? -1 : 1;
  }
  return 0;
}

// ---- Area keywords of the configuration ----------------------------------------------

// The tag a handler takes from its value: the first word, or for DeletedArea the word
// after a number of one to eight digits; none when missing or too long for a tag.
inline std::optional<std::string> FirstWordTag(const std::string& value) {
  char tag[kMaxModelText + 1];
  if (std::sscanf(value.c_str(), "%1000s", tag) != 1 || std::strlen(tag) > kMaxAreaTag) return std::nullopt;
  return std::string(tag);
}

inline std::optional<std::string> DeletedAreaTag(const std::string& value) {
  char tag[kMaxModelText + 1];
  if (std::sscanf(value.c_str(), "%*8[0-9] %1000s", tag) != 1 || std::strlen(tag) > kMaxAreaTag) return std::nullopt;
  return std::string(tag);
}

inline void EchoArea(AreaSet& areas, const std::string& value) {
  const std::optional<std::string> tag = FirstWordTag(value);
  if (!tag || areas.Find(*tag) != nullptr) return;
  AreaRecord& area = areas.Add(*tag);
  if (std::strstr(value.c_str(), "-0") != nullptr) area.flags |= AREA_PASSTHROUGH;
}

inline void MarkArea(AreaSet& areas, const std::optional<std::string>& tag, std::uint32_t flag) {
  if (!tag) return;
  AreaRecord* area = areas.Find(*tag);
  if (area == nullptr) area = &areas.Add(*tag);
  area->flags |= flag;
}

inline void IgnoreArea(AreaSet& areas, const std::string& value) { MarkArea(areas, FirstWordTag(value), AREA_IGNORED); }
inline void DeletedArea(AreaSet& areas, const std::string& value) {
  MarkArea(areas, DeletedAreaTag(value), AREA_DELETED);
}

// ---- The configuration reader ----------------------------------------------------------

// The lines that one read after another takes from a file's bytes in text mode: CRs
// dropped, 0x1A ends the file, at most CONFIG_LINE_SIZE - 1 characters a read, a line
// ending after its newline.
inline std::vector<std::string> TextModeLines(std::string_view bytes, std::size_t max_chars) {
  std::string stream;
  for (const char c : bytes) {
    if (c == '\x1a') break;
    if (c != '\r') stream.push_back(c);
  }
  std::vector<std::string> lines;
  std::size_t pos = 0;
  while (pos < stream.size()) {
    std::size_t end = pos;
    while (end < stream.size() && end - pos < max_chars) {
      if (stream[end++] == '\n') break;
    }
    lines.push_back(stream.substr(pos, end - pos));
    pos = end;
  }
  return lines;
}

inline bool IsBlank(char c) { return c == ' ' || c == '\t'; }
inline bool EndsValue(char c) { return c == '\n' || c == '\0' || c == ';'; }

// The keyword and value of one line read as a C string (a NUL ends it).
inline void CutLine(const char* p, std::string* keyword, std::string* value) {
  keyword->clear();
  value->clear();
  while (IsBlank(*p)) ++p;
  while (!IsBlank(*p) && !EndsValue(*p)) keyword->push_back(*p++);
  for (;;) {
    while (IsBlank(*p)) ++p;
    if (EndsValue(*p)) break;
    while (!IsBlank(*p) && !EndsValue(*p)) value->push_back(*p++);
    value->push_back(' ');
  }
  if (!value->empty()) value->pop_back();
}

inline constexpr std::string_view kUnknownKeyword = "\n%s, строка %i. Неизвестное ключевое слово %s\n"_cp866;
inline constexpr std::string_view kRefused = "\n%s, строка %i. %s\n"_cp866;

// Reads a file's bytes against the table as the configuration reader does, appending
// its messages to console. Answers 0 or -1; *lines gets the number of lines read.
inline int ReadConfig(std::string_view bytes, const std::string& file_name, KeywordTable& table, std::string* console,
                      int* lines) {
  int answer = 0;
  int number = 0;
  std::string keyword;
  std::string value;
  for (const std::string& line : TextModeLines(bytes, CONFIG_LINE_SIZE - 1)) {
    ++number;
    CutLine(line.c_str(), &keyword, &value);
    if (keyword.empty()) continue;
    KeywordEntry* entry = nullptr;
    for (int i = 0; i < KEYWORD_COUNT && entry == nullptr; ++i) {
      const std::string name(table.entry(i).keyword);
      if (strcasecmp(keyword.c_str(), name.c_str()) == 0) entry = table.Find(name);
    }
    if (entry == nullptr) {
      console->append(CFormat(kUnknownKeyword.data(), file_name.c_str(), number, keyword.c_str()));
      answer = -1;
      continue;
    }
    entry->value = value;
    ++entry->times_set;
    if (entry->handler) {
      if (const char* message = entry->handler(*entry)) {
        console->append(CFormat(kRefused.data(), file_name.c_str(), number, message));
        answer = -1;
      }
    }
  }
  *lines = number;
  return answer;
}

}  // namespace kestrum::model
