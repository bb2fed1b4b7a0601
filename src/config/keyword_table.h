// The eighteen configuration keywords: each entry's current value text, how often it was
// set, the integer a handler derives from it, and the handler that gives it effect.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace kestrum {

// How the rest of the program names a keyword.
enum KeywordIndex : int {
  kTovarkLog = 0,
  kSquishCfg = 1,
  kOutFileName = 2,
  kPeriod = 3,
  kNetArea = 4,
  kBadArea = 5,
  kDupeArea = 6,
  kLocalArea = 7,
  kEchoArea = 8,
  kDeletedArea = 9,
  kIgnoreArea = 10,
  kIgnoreLink = 11,
  kShowDeletedArea = 12,
  kShowUnknownArea = 13,
  kScreenWide = 14,
  kMinGraphLen = 15,
  kDebug = 16,
  kOutHtmlName = 17,
};
inline constexpr int KEYWORD_COUNT = 18;

struct KeywordEntry;

// Gives a keyword line its effect. Answers nullptr when it accepts the value, or a
// message text (static storage) when it refuses it.
using KeywordHandler = std::function<const char*(KeywordEntry&)>;

struct KeywordEntry {
  std::string_view keyword;
  std::optional<std::string> value;  // the last value read, or the default; none if neither
  std::uint32_t times_set = 0;       // lines that set the keyword, over all files read
  std::int32_t integer = 0;
  KeywordHandler handler;
};

// The entry's value text; empty when it has none.
inline std::string_view ValueText(const KeywordEntry& entry) {
  return entry.value ? std::string_view(*entry.value) : std::string_view();
}

// Refuses anything but Yes or No (any letter case); sets the integer to 1 or 0.
const char* YesNoHandler(KeywordEntry& entry);

class KeywordTable {
 public:
  KeywordTable();  // every entry at its default

  // The value text, or nullptr when the keyword has none or the index is out of range.
  const char* KeywordValue(int index) const;
  std::int32_t KeywordInt(int index) const;
  void SetKeywordHandler(int index, KeywordHandler handler);  // an index out of range is ignored

  // The entry whose keyword equals the given one, ASCII letters compared without case.
  KeywordEntry* Find(std::string_view keyword);
  const KeywordEntry& entry(int index) const { return entries_.at(static_cast<std::size_t>(index)); }

  // Drops every value that a configuration line stored; defaults stay.
  void FreeKeywordValues();

 private:
  std::array<KeywordEntry, KEYWORD_COUNT> entries_;
};

}  // namespace kestrum
