// Formatted-input matching by hand, with the C library's rules: a blank in a format
// matches any run of white space or none; numbers may be preceded by white space and a
// sign; %u wraps to 32 bits; %i reads 0x.. as hex and 0.. as octal; %s and %[..] take
// runs of at least one character. Nothing is ever read past the end of the text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string_view>

namespace kestrum {

// White space as the C locale's isspace() sees it.
constexpr bool IsScanSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// The value of a digit character in bases up to 16; 99 for any other character.
constexpr int ScanDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 99;
}

class Scanner {
 public:
  explicit Scanner(std::string_view text) : text_(text) {}

  std::size_t pos() const { return pos_; }
  std::string_view rest() const { return text_.substr(pos_); }
  bool at_end() const { return pos_ >= text_.size(); }

  // A blank in a format: skips any run of white space, also none. Always succeeds.
  void SkipSpace() {
    while (pos_ < text_.size() && IsScanSpace(text_[pos_])) ++pos_;
  }

  // An ordinary character of a format: it must come next.
  bool Char(char c) {
    if (pos_ < text_.size() && text_[pos_] == c) {
      ++pos_;
      return true;
    }
    return false;
  }

  // A run of format text: each blank in it skips white space, every other character
  // must match exactly.
  bool Literal(std::string_view format);

  // %u: an unsigned decimal number stored in 32 bits. A sign is accepted (minus negates
  // modulo 2^32); values past 64 bits read as all ones, as strtoul gives them.
  bool Unsigned(std::uint32_t* value);

  // %i: a signed number, decimal, octal after a leading 0, or hex after 0x (a bare 0x
  // reads as 0), stored in 32 bits (values past the 64-bit range saturate first, as
  // strtol gives them).
  bool Integer(std::int32_t* value);

  // %s with an optional width (0 = none): skips white space, then takes up to width
  // non-white characters, at least one.
  bool Word(std::size_t width, std::string_view* word);

  // %[set] with an optional width (0 = none): takes a run of at least one character for
  // which in_set answers true; skips nothing before it.
  template <typename Predicate>
  bool Set(Predicate in_set, std::size_t width, std::string_view* run) {
    const std::size_t start = pos_;
    while (pos_ < text_.size() && (width == 0 || pos_ - start < width) && in_set(text_[pos_])) ++pos_;
    if (pos_ == start) return false;
    if (run != nullptr) *run = text_.substr(start, pos_ - start);
    return true;
  }

 private:
  // Reads digits of the given base into a 64-bit magnitude; false when there are none.
  bool Digits(unsigned base, std::uint64_t* magnitude, bool* overflow);

  std::string_view text_;
  std::size_t pos_ = 0;
};

// The matching primitives below run several times for every log line: they are inline.

inline bool Scanner::Literal(std::string_view format) {
  // Usually the text holds the format's characters as they stand, each blank a single
  // space: then they are taken at once, and only a final blank still skips all white space.
  if (text_.size() - pos_ >= format.size() && text_.compare(pos_, format.size(), format) == 0) {
    pos_ += format.size();
    if (!format.empty() && format.back() == ' ') SkipSpace();
    return true;
  }
  for (const char c : format) {
    if (c == ' ') {
      SkipSpace();
    } else if (!Char(c)) {
      return false;
    }
  }
  return true;
}

inline bool Scanner::Digits(unsigned base, std::uint64_t* magnitude, bool* overflow) {
  const std::size_t start = pos_;
  std::uint64_t value = 0;
  if (base == 10) {
    // The usual case: up to 19 decimal digits cannot overflow 64 bits.
    while (pos_ < text_.size() && pos_ - start < 19) {
      const unsigned digit = static_cast<unsigned char>(text_[pos_]) - unsigned{'0'};
      if (digit > 9) {
        *magnitude = value;
        return pos_ > start;
      }
      value = value * 10 + digit;
      ++pos_;
    }
  }
  while (pos_ < text_.size()) {
    const int digit = ScanDigitValue(text_[pos_]);
    if (digit >= static_cast<int>(base)) break;
    if (__builtin_mul_overflow(value, std::uint64_t{base}, &value) ||
        __builtin_add_overflow(value, static_cast<std::uint64_t>(digit), &value)) {
      *overflow = true;
    }
    ++pos_;
  }
  *magnitude = value;
  return pos_ > start;
}

inline bool Scanner::Unsigned(std::uint32_t* value) {
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

}  // namespace kestrum
