#include "stats/scan.h"

#include <limits>

namespace kestrum {

bool Scanner::LiteralInFull(std::string_view format) {
  for (const char c : format) {
    if (c == ' ') {
      SkipSpace();
    } else if (!Char(c)) {
      return false;
    }
  }
  return true;
}

bool Scanner::UnsignedInFull(std::uint32_t* value) {
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
  std::uint64_t magnitude = 0;
  bool overflow = false;
  if (pos_ < text_.size() && text_[pos_] == '0') {
    base = 8;
    if (pos_ + 1 < text_.size() && (text_[pos_ + 1] == 'x' || text_[pos_ + 1] == 'X')) {
      // "0x" reads as hex; with no hex digit after it the number is the 0 already read.
      base = 16;
      pos_ += 2;
      Digits(base, &magnitude, &overflow);
    } else if (!Digits(base, &magnitude, &overflow)) {
      return false;
    }
  } else if (!Digits(base, &magnitude, &overflow)) {
    return false;
  }
  constexpr std::uint64_t kMax = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
  std::int64_t result = 0;
  if (negative) {
    result = overflow || magnitude > kMax + 1 ? std::numeric_limits<std::int64_t>::min()
                                              : static_cast<std::int64_t>(std::uint64_t{0} - magnitude);
  } else {
    result =
        overflow || magnitude > kMax ? std::numeric_limits<std::int64_t>::max() : static_cast<std::int64_t>(magnitude);
  }
  *value = static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(result)));
  return true;
}

}  // namespace kestrum
