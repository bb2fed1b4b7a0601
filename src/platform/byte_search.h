// Byte searches done several bytes at a time: where each runs, what it finds, who calls it.
//
//   BreakMask64(p)            bytes below 0x0E among the 64 at p, a bit each      TextReader, usual lines
//                             (LF, CR and NUL; the reader takes others as unusual)
//   FindLineBreak(p, end)     the first LF, CR or NUL in [p, end)                  TextReader, the rest
//   FindTagEnd(text)          the first ':' or ' ' of the text                     area parser, the tag
//   FindTailKeys(text, from)  the first "du" and first "se" at or after from       area parser, toss tails
//   BytesInRange(w, lo, hi)   the bytes of a word within lo..hi, a high bit each   scanner, area keys, links
//   SpaceBytes(w)             the white-space bytes of a word                      scanner (%s)
//
// Each has a plain twin, a byte at a time, in namespace plain: the tests hold the quick
// one against it on random and edge inputs. SSE2 serves where the compiler offers it,
// unless KESTRUM_NO_SIMD is defined: that build runs the plain searches (and the word-at-
// a-time ones, which are plain C++ everywhere), so the portable code is always tested.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#if defined(__SSE2__) && !defined(KESTRUM_NO_SIMD)
#define KESTRUM_SSE2 1
#include <emmintrin.h>
#endif

namespace kestrum {

// Where the first "du" and the first "se" begin; npos for a key that does not occur.
struct TailKeys {
  std::size_t dupes = std::string_view::npos;
  std::size_t sent = std::string_view::npos;
  bool operator==(const TailKeys&) const = default;
};

namespace plain {

std::uint64_t BreakMask64(const char* p);
const char* FindLineBreak(const char* p, const char* end);
std::size_t FindTagEnd(std::string_view text);
TailKeys FindTailKeys(std::string_view text, std::size_t from);
std::uint64_t BytesInRange(std::uint64_t word, unsigned lo, unsigned hi);

}  // namespace plain

// One bit for each of the 64 bytes at p below 0x0E: every newline, carriage return and
// NUL, and with them tabs and the other control characters, which a reader takes as
// unusual. One unsigned minimum and one comparison tell them, where three comparisons
// would tell the three breaks alone.
inline std::uint64_t BreakMask64(const char* p) {
#if defined(KESTRUM_SSE2)
  const __m128i last = _mm_set1_epi8(0x0D);
  std::uint64_t mask = 0;
  for (std::ptrdiff_t i = 0; i < 4; ++i) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * i));
    const __m128i below = _mm_cmpeq_epi8(_mm_min_epu8(bytes, last), bytes);
    mask |= std::uint64_t{static_cast<unsigned>(_mm_movemask_epi8(below))} << (16 * i);
  }
  return mask;
#else
  return plain::BreakMask64(p);
#endif
}

// The first byte in [p, end) that is a newline, a carriage return or a NUL, or end.
const char* FindLineBreak(const char* p, const char* end);

// The bytes of a word (eight packed with the first lowest) that lie in lo..hi (hi < 0x80):
// the high bit of each such byte set, no other bit. The seven low bits of every byte are
// offset so that their sum's top bit tells the comparison, with no carry between bytes.
inline constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;
constexpr std::uint64_t BytesInRange(std::uint64_t word, unsigned lo, unsigned hi) {
  constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
  const std::uint64_t low7 = word & ~kHighBits;
  const std::uint64_t from_lo = low7 + kOnes * (0x80 - lo);      // top bit: byte >= lo
  const std::uint64_t past_hi = low7 + kOnes * (0x80 - hi - 1);  // top bit: byte > hi
  return from_lo & ~past_hi & ~word & kHighBits;
}

// The white-space bytes of a word, as the C locale's isspace() sees them.
constexpr std::uint64_t SpaceBytes(std::uint64_t word) {
  return BytesInRange(word, '\t', '\r') | BytesInRange(word, ' ', ' ');
}

// The length of the run at the text's start of characters other than a colon and a
// blank, as "%[^: ]" would take it (0 for an empty run).
inline std::size_t FindTagEnd(std::string_view text) {
  std::size_t i = 0;
#if defined(KESTRUM_SSE2)
  const __m128i colon = _mm_set1_epi8(':');
  const __m128i blank = _mm_set1_epi8(' ');
  for (; text.size() - i >= 16; i += 16) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + i));
    const unsigned hits = static_cast<unsigned>(
        _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(bytes, colon), _mm_cmpeq_epi8(bytes, blank))));
    if (hits != 0) return i + static_cast<std::size_t>(std::countr_zero(hits));
  }
#endif
  return i + plain::FindTagEnd(text.substr(i));
}

// Both tail keys of a toss line in one pass from `from`: a key's first character at i
// and its second at i + 1. With SSE2 sixteen places are tried at a time from 17 loaded
// bytes; the last block is moved back to end at the text's end (the places before `from`
// masked off), so that no byte past the text is ever read.
inline TailKeys FindTailKeys(std::string_view text, std::size_t from) {
#if defined(KESTRUM_SSE2)
  const std::size_t size = text.size();
  if (size < 17) return plain::FindTailKeys(text, from);
  TailKeys keys;
  const __m128i d = _mm_set1_epi8('d');
  const __m128i u = _mm_set1_epi8('u');
  const __m128i s = _mm_set1_epi8('s');
  const __m128i e = _mm_set1_epi8('e');
  const auto first_of = [](unsigned hits, std::size_t base, std::size_t& key) {
    if (hits != 0 && key == std::string_view::npos) key = base + static_cast<std::size_t>(std::countr_zero(hits));
  };
  for (std::size_t i = from; i + 1 < size;) {
    const std::size_t base = i < size - 17 ? i : size - 17;
    const __m128i first = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + base));
    const __m128i second = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + base + 1));
    const unsigned wanted = ~0U << (i - base);
    first_of(wanted & static_cast<unsigned>(
                          _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(first, d), _mm_cmpeq_epi8(second, u)))),
             base, keys.dupes);
    first_of(wanted & static_cast<unsigned>(
                          _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(first, s), _mm_cmpeq_epi8(second, e)))),
             base, keys.sent);
    if (keys.dupes != std::string_view::npos && keys.sent != std::string_view::npos) break;
    i = base + 16;
  }
  return keys;
#else
  return plain::FindTailKeys(text, from);
#endif
}

}  // namespace kestrum
