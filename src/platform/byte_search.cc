#include "platform/byte_search.h"

namespace kestrum {

namespace {

bool IsBreak(char c) { return c == '\n' || c == '\r' || c == '\0'; }

}  // namespace

const char* FindLineBreak(const char* p, const char* end) {
#if defined(KESTRUM_SSE2)
  const __m128i newline = _mm_set1_epi8('\n');
  const __m128i carriage_return = _mm_set1_epi8('\r');
  const __m128i nul = _mm_setzero_si128();
  for (; end - p >= 16; p += 16) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i hits =
        _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(bytes, newline), _mm_cmpeq_epi8(bytes, carriage_return)),
                     _mm_cmpeq_epi8(bytes, nul));
    const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(hits));
    if (mask != 0) return p + std::countr_zero(mask);
  }
#endif
  // Eight at a time: the classic test for bytes below a bound flags the lowest such byte
  // exactly, so every byte below 0x0E is looked at and only tabs and the like among them
  // passed over.
  while (true) {
    if constexpr (std::endian::native == std::endian::little) {
      constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
      for (; end - p >= 8; p += 8) {
        std::uint64_t word = 0;
        std::memcpy(&word, p, 8);
        const std::uint64_t below = (word - kOnes * 0x0E) & ~word & kHighBits;
        if (below != 0) {
          p += std::countr_zero(below) / 8;
          break;
        }
      }
    }
    while (p < end && static_cast<unsigned char>(*p) >= 0x0E) ++p;
    if (p == end || IsBreak(*p)) return p;
    ++p;  // a tab or another control character: part of the line
  }
}

namespace plain {

std::uint64_t BreakMask64(const char* p) {
  std::uint64_t mask = 0;
  for (int i = 0; i < 64; ++i) {
    if (static_cast<unsigned char>(p[i]) < 0x0E) mask |= std::uint64_t{1} << i;
  }
  return mask;
}

const char* FindLineBreak(const char* p, const char* end) {
  while (p < end && !IsBreak(*p)) ++p;
  return p;
}

std::size_t FindTagEnd(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && text[i] != ':' && text[i] != ' ') ++i;
  return i;
}

TailKeys FindTailKeys(std::string_view text, std::size_t from) {
  TailKeys keys;
  for (std::size_t i = from; i + 1 < text.size(); ++i) {
    if (text[i] == 'd' && text[i + 1] == 'u' && keys.dupes == std::string_view::npos) keys.dupes = i;
    if (text[i] == 's' && text[i + 1] == 'e' && keys.sent == std::string_view::npos) keys.sent = i;
    if (keys.dupes != std::string_view::npos && keys.sent != std::string_view::npos) break;
  }
  return keys;
}

std::uint64_t BytesInRange(std::uint64_t word, unsigned lo, unsigned hi) {
  std::uint64_t marks = 0;
  for (unsigned i = 0; i < 8; ++i) {
    const unsigned byte = (word >> (8 * i)) & 0xFF;
    if (byte >= lo && byte <= hi) marks |= std::uint64_t{0x80} << (8 * i);
  }
  return marks;
}

}  // namespace plain

}  // namespace kestrum
