// Formatted-input matching by hand, with the C library's rules: a blank in a format
// matches any run of white space or none; numbers may be preceded by white space and a
// sign; %u wraps to 32 bits; %i reads 0x.. as hex and 0.. as octal; %s and %[..] take
// runs of at least one character. Nothing is ever read past the end of the text.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string_view>

#include "platform/byte_search.h"

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

// Whether the n bytes at p are those of the string literal s (n = N - 1), compared a
// word at a time: with n known when compiled the literal's words become constants, and
// no call to memcmp is left. Pieces overlap where n is no multiple of their size.
template <std::size_t N>
bool ScanSameBytes(const char* p, const char (&s)[N]) {
  constexpr std::size_t n = N - 1;
  const auto same = [&](std::size_t at, auto piece) {
    decltype(piece) a;
    decltype(piece) b;
    std::memcpy(&a, p + at, sizeof a);
    std::memcpy(&b, s + at, sizeof b);
    return a == b;
  };
  if constexpr (n >= 8) {
    for (std::size_t at = 0; at + 8 < n; at += 8) {
      if (!same(at, std::uint64_t{})) return false;
    }
    return same(n - 8, std::uint64_t{});
  } else if constexpr (n >= 4) {
    return same(0, std::uint32_t{}) && same(n - 4, std::uint32_t{});
  } else if constexpr (n >= 2) {
    return same(0, std::uint16_t{}) && same(n - 2, std::uint16_t{});
  } else {
    return n == 0 || p[0] == s[0];
  }
}

class Scanner {
 public:
  explicit Scanner(std::string_view text) : text_(text) {}

  std::size_t pos() const { return pos_; }
  std::string_view rest() const { return text_.substr(pos_); }
  bool at_end() const { return pos_ >= text_.size(); }

  // A blank in a format: skips any run of white space, also none. Always succeeds.
  void SkipSpace() {
    std::size_t at = pos_;
    while (at < text_.size() && IsScanSpace(text_[at])) ++at;
    pos_ = at;
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

  // The same for a format written as a string literal, whose length is then known when
  // compiled: the usual case becomes a few loads and compares.
  template <std::size_t N>
  bool Literal(const char (&format)[N]) {
    static_assert(N > 1, "an empty format matches anything");
    constexpr std::size_t kLength = N - 1;
    if (text_.size() - pos_ >= kLength && ScanSameBytes(text_.data() + pos_, format)) {
      pos_ += kLength;
      if (format[kLength - 1] == ' ') SkipSpace();
      return true;
    }
    return LiteralInFull(std::string_view(format, kLength));
  }

  // Characters that must come next exactly as they stand, blanks included (no
  // white-space rule): for reading text of a known layout in place.
  template <std::size_t N>
  bool Exact(const char (&characters)[N]) {
    constexpr std::size_t kLength = N - 1;
    if (text_.size() - pos_ < kLength || !ScanSameBytes(text_.data() + pos_, characters)) return false;
    pos_ += kLength;
    return true;
  }

  // %u: an unsigned decimal number stored in 32 bits. A sign is accepted (minus negates
  // modulo 2^32); values past 64 bits read as all ones, as strtoul gives them.
  bool Unsigned(std::uint32_t* value);

  // %i: a signed number, decimal, octal after a leading 0, or hex after 0x (a bare 0x
  // reads as 0), stored in 32 bits (values past the 64-bit range saturate first, as
  // strtol gives them).
  bool Integer(std::int32_t* value);

  // %s with an optional width (0 = none): skips white space, then takes up to width
  // non-white characters, at least one.
  bool Word(std::size_t width, std::string_view* word) {
    SkipSpace();
    return Set([](char c) { return !IsScanSpace(c); }, [](std::uint64_t bytes) { return SpaceBytes(bytes); }, width,
               word);
  }

  // %[set] with an optional width (0 = none): takes a run of at least one character for
  // which in_set answers true; skips nothing before it.
  template <typename Predicate>
  bool Set(Predicate in_set, std::size_t width, std::string_view* run) {
    return Take(RunEnd(in_set, Limit(width)), run);
  }

  // Set for a class that can also be told eight bytes at a time: stops(bytes) has the
  // high bit set of each byte (packed as for BytesInRange) for which in_set answers
  // false, and of no other.
  template <typename Predicate, typename Stops>
  bool Set(Predicate in_set, Stops stops, std::size_t width, std::string_view* run) {
    const std::size_t end = Limit(width);
    if constexpr (std::endian::native != std::endian::little) {
      return Take(RunEnd(in_set, end), run);
    } else {
      std::size_t at = pos_;
      for (; end - at >= 8; at += 8) {
        const std::uint64_t hits = stops(Load8(at));
        if (hits != 0) return Take(at + static_cast<std::size_t>(std::countr_zero(hits)) / 8, run);
      }
      if (at == end) return Take(at, run);
      // Fewer than eight bytes are left: the eight that end with them are read instead
      // when the text holds as many, those before `at` (already taken) shifted out.
      // (A text shorter than that has had no word read: at is still pos_.)
      if (end < 8) return Take(RunEnd(in_set, end), run);
      const std::uint64_t hits = stops(Load8(end - 8)) >> (8 * (at - (end - 8)));
      return Take(hits == 0 ? end : at + static_cast<std::size_t>(std::countr_zero(hits)) / 8, run);
    }
  }

 private:
  // Where a run of width characters at most (0 = any number) from pos_ must end.
  std::size_t Limit(std::size_t width) const {
    return width != 0 && width < text_.size() - pos_ ? pos_ + width : text_.size();
  }

  // Where the run of characters from pos_ for which in_set answers true ends, not past end.
  template <typename Predicate>
  std::size_t RunEnd(Predicate in_set, std::size_t end) const {
    std::size_t at = pos_;
    while (at < end && in_set(text_[at])) ++at;
    return at;
  }

  // Takes the run from pos_ to end, of at least one character.
  bool Take(std::size_t end, std::string_view* run) {
    if (end == pos_) return false;
    if (run != nullptr) *run = text_.substr(pos_, end - pos_);
    pos_ = end;
    return true;
  }

  // Eight bytes of the text from at (at + 8 <= size), the first lowest.
  std::uint64_t Load8(std::size_t at) const {
    std::uint64_t bytes;
    std::memcpy(&bytes, text_.data() + at, 8);
    return bytes;
  }

  // Ends a number read in place: the text up to end was its digits.
  bool Took(std::size_t end, std::uint32_t number, std::uint32_t* value) {
    pos_ = end;
    *value = number;
    return true;
  }

  // Literal for a text that does not hold the format's characters as they stand.
  bool LiteralInFull(std::string_view format);

  // Unsigned for whatever its inline part leaves: white space or a sign before the
  // digits, no digits at all, or many of them.
  bool UnsignedInFull(std::uint32_t* value);

  // Reads digits of the given base into a 64-bit magnitude; false when there are none.
  bool Digits(unsigned base, std::uint64_t* magnitude, bool* overflow);

  std::string_view text_;
  std::size_t pos_ = 0;
};

// The matching primitives below run several times for every log line: they are inline.

inline bool Scanner::Literal(std::string_view format) {
  // Usually the text holds the format's characters as they stand, each blank a single
  // space: then they are taken at once, and only a final blank still skips all white space.
  // (A fixed-length memcmp whose result is only tested for zero compiles to a few loads.)
  if (text_.size() - pos_ >= format.size() &&
      (format.empty() || std::memcmp(text_.data() + pos_, format.data(), format.size()) == 0)) {
    pos_ += format.size();
    if (!format.empty() && format.back() == ' ') SkipSpace();
    return true;
  }
  return LiteralInFull(format);
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
  // Usually digits come next, not many: the figures of a log line mostly have one or two,
  // taken as they are, or else fewer than 20, which cannot overflow 64 bits and are read
  // in one go. Anything else, white space or a sign first, no digit at all or a long
  // number, goes the whole way.
  const std::size_t start = pos_;
  const std::size_t size = text_.size();
  const auto digit = [&](std::size_t at) { return static_cast<unsigned>(static_cast<unsigned char>(text_[at])) - '0'; };
  if (start >= size || digit(start) > 9) return UnsignedInFull(value);
  const unsigned first = digit(start);
  if (start + 1 == size || digit(start + 1) > 9) return Took(start + 1, first, value);
  const unsigned second = digit(start + 1);
  if (start + 2 == size || digit(start + 2) > 9) return Took(start + 2, first * 10 + second, value);
  const std::size_t limit = size - start > 19 ? start + 19 : size;
  std::uint64_t magnitude = first * 10 + second;
  std::size_t at = start + 2;
  for (unsigned next = 0; at < limit && (next = digit(at)) <= 9; ++at) magnitude = magnitude * 10 + next;
  if (at < limit || at == size) return Took(at, static_cast<std::uint32_t>(magnitude), value);
  return UnsignedInFull(value);
}

}  // namespace kestrum
