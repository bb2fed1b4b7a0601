#include "config/keyword_table.h"

#include "platform/cp866.h"

namespace kestrum {

namespace {

constexpr std::string_view kYesNoMessage = "Возможные значения Yes и No"_cp866;

bool AsciiUpperEquals(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i];
    char y = b[i];
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
    if (x != y) return false;
  }
  return true;
}

struct KeywordDefault {
  std::string_view keyword;
  const char* value;
  std::int32_t integer;
  bool yes_no;
};

constexpr std::array<KeywordDefault, KEYWORD_COUNT> kDefaults = {{
    {"Tovark.Log", nullptr, 0, false},
    {"Squish.Cfg", "Squish.cfg", 0, false},
    {"Out.File.Name", nullptr, 0, false},
    {"Period", nullptr, 0, false},
    {"NetArea", nullptr, 0, false},
    {"BadArea", nullptr, 0, false},
    {"DupeArea", nullptr, 0, false},
    {"LocalArea", nullptr, 0, false},
    {"EchoArea", nullptr, 0, false},
    {"DeletedArea", nullptr, 0, false},
    {"Ignore.Area", nullptr, 0, false},
    {"Ignore.Link", nullptr, 0, false},
    {"Show.Deleted.Area", nullptr, 1, true},
    {"Show.Unknown.Area", nullptr, 1, true},
    {"Screen.Wide", nullptr, 79, false},
    {"Min.Graph.Len", nullptr, 15, false},
    {"Debug", nullptr, 0, true},
    {"Out.Html.Name", nullptr, 0, false},
}};

void SetDefaultValue(KeywordEntry& entry, const KeywordDefault& def) {
  if (def.value != nullptr) {
    entry.value = def.value;
  } else {
    entry.value.reset();
  }
}

}  // namespace

const char* YesNoHandler(KeywordEntry& entry) {
  const std::string_view value = entry.value ? std::string_view(*entry.value) : std::string_view();
  if (AsciiUpperEquals(value, "YES")) {
    entry.integer = 1;
    return nullptr;
  }
  if (AsciiUpperEquals(value, "NO")) {
    entry.integer = 0;
    return nullptr;
  }
  return kYesNoMessage.data();
}

KeywordTable::KeywordTable() {
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    KeywordEntry& entry = entries_[i];
    entry.keyword = kDefaults[i].keyword;
    SetDefaultValue(entry, kDefaults[i]);
    entry.integer = kDefaults[i].integer;
    if (kDefaults[i].yes_no) entry.handler = YesNoHandler;
  }
}

const char* KeywordTable::KeywordValue(int index) const {
  if (index < 0 || index >= KEYWORD_COUNT) return nullptr;
  const KeywordEntry& entry = entries_[static_cast<std::size_t>(index)];
  return entry.value ? entry.value->c_str() : nullptr;
}

std::int32_t KeywordTable::KeywordInt(int index) const {
  if (index < 0 || index >= KEYWORD_COUNT) return 0;
  return entries_[static_cast<std::size_t>(index)].integer;
}

void KeywordTable::SetKeywordHandler(int index, KeywordHandler handler) {
  if (index < 0 || index >= KEYWORD_COUNT) return;
  entries_[static_cast<std::size_t>(index)].handler = std::move(handler);
}

KeywordEntry* KeywordTable::Find(std::string_view keyword) {
  for (KeywordEntry& entry : entries_) {
    if (AsciiUpperEquals(entry.keyword, keyword)) return &entry;
  }
  return nullptr;
}

void KeywordTable::FreeKeywordValues() {
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    if (entries_[i].times_set != 0) SetDefaultValue(entries_[i], kDefaults[i]);
  }
}

}  // namespace kestrum
