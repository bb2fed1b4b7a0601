#include "stats/scan.h"

#include <limits>

namespace kestrum {

namespace {

int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 99;
}

}  // namespace

bool Scanner::Literal(std::string_view format) {
  for (const char c : format) {
    if (c == ' ') {
      SkipSpace();
    } else if (!Char(c)) {
      return false;
    }
  }
  return true;
}

bool Scanner::Digits(unsigned base, std::uint64_t* magnitude, bool* overflow) {
  const std::size_t start = pos_;
  std::uint64_t value = 0;
  while (pos_ < text_.size()) {
    const int digit = DigitValue(text_[pos_]);
    if (digit >= static_cast<int>(base)) break;
    if (value > (std::numeric_limits<std::uint64_t>::max() - static_cast<unsigned>(digit)) / base) *overflow = true;
    value = value * base + static_cast<unsigned>(digit);
    ++pos_;
  }
  *magnitude = value;
  return pos_ > start;
}

bool Scanner::Unsigned(std::uint32_t* value) {
  SkipSpace();
  bool negative = false;
  if (pos_ < text_.size() && (text_[pos_] == '+' || text_[pos_] == '-')) negative = text_[pos_++] == '-';
  std::uint64_t magnitude = 0;
  bool overflow = false;
  if (!Digits(10, &magnitude, &overflow)) return false;
  std::uint64_t result = std::numeric_limits<std::uint64_t>::max();
  if (!overflow) result = negative ? std::uint64_t{0} - magnitude : magnitude;
  *value = static_cast<std::uint32_t>(result);
  return true;
}

bool Scanner::Integer(std::int32_t* value) {
  SkipSpace();
  bool negative = false;
  if (pos_ < text_.size() && (text_[pos_] == '+' || text_[pos_] == '-')) negative = text_[pos_++] == '-';
  unsigned base = 10;
  if (pos_ < text_.size() && text_[pos_] == '0') {
    base = 8;
    if (pos_ + 2 < text_.size() && (text_[pos_ + 1] == 'x' || text_[pos_ + 1] == 'X') &&
        DigitValue(text_[pos_ + 2]) < 16) {
      base = 16;
      pos_ += 2;
    }
  }
  std::uint64_t magnitude = 0;
  bool overflow = false;
  if (!Digits(base, &magnitude, &overflow)) return false;
  constexpr std::uint64_t kMax = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
  std::int64_t result = 0;
  if (negative) {
    result = overflow || magnitude > kMax + 1 ? std::numeric_limits<std::int64_t>::min()
                                               : static_cast<std::int64_t>(std::uint64_t{0} - magnitude);
  } else {
    result = overflow || magnitude > kMax ? std::numeric_limits<std::int64_t>::max()
                                          : static_cast<std::int64_t>(magnitude);
  }
  *value = static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(result)));
  return true;
}

bool Scanner::Word(std::size_t width, std::string_view* word) {
  SkipSpace();
  return Set([](char c) { return !IsScanSpace(c); }, width, word);
}

}  // namespace kestrum
