#include "stats/area_name.h"

namespace kestrum {

namespace {

constexpr bool IsUpper(char c) { return c >= 'A' && c <= 'Z'; }
constexpr bool IsLower(char c) { return c >= 'a' && c <= 'z'; }

// Plain ASCII folding: bytes 0x80-0xFF (Cyrillic among them) are never touched.
constexpr unsigned char FoldUpper(char c) { return static_cast<unsigned char>(IsLower(c) ? c - 'a' + 'A' : c); }

}  // namespace

void CapitalizeAreaName(std::string& name) {
  bool word_start = true;
  for (char& c : name) {
    if (IsUpper(c) || IsLower(c)) {
      if (word_start) {
        if (IsLower(c)) c = static_cast<char>(c - 'a' + 'A');
      } else if (IsUpper(c)) {
        c = static_cast<char>(c - 'A' + 'a');
      }
      word_start = false;
    } else {
      word_start = true;
    }
  }
}

int CompareAreaNames(std::string_view a, std::string_view b) {
  const std::size_t common = a.size() < b.size() ? a.size() : b.size();
  for (std::size_t i = 0; i < common; ++i) {
    const unsigned char x = FoldUpper(a[i]);
    const unsigned char y = FoldUpper(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

}  // namespace kestrum
