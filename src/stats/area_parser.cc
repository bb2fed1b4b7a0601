#include "stats/area_parser.h"

#include <bit>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "stats/area_name.h"
#include "stats/scan.h"

namespace kestrum {

namespace {

// The tail of a toss line is searched from this many characters past the tag's length,
// which for usual figures lies inside the word "bytes". The toss part holds neither "du"
// nor "se", so the tail's words are found wherever in it the search begins.
constexpr std::size_t kTailSearchOffset = 22;

// Distances from the found "du" / "se" to the figure: "dupes - " and "sent - ".
constexpr std::size_t kDupesFigureOffset = 8;
constexpr std::size_t kSentFigureOffset = 7;

// The length of the tag at the start of the text: the run of characters other than a
// colon and a blank (tabs and newlines included), as "%[^: ]" takes it. Sixteen bytes at a
// time where SSE2 is at hand: this runs for every line of the period.
std::size_t TagLength(std::string_view text) {
  std::size_t i = 0;
#if defined(__SSE2__)
  const __m128i colon = _mm_set1_epi8(':');
  const __m128i blank = _mm_set1_epi8(' ');
  while (text.size() - i >= 16) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + i));
    const unsigned hits = static_cast<unsigned>(
        _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(bytes, colon), _mm_cmpeq_epi8(bytes, blank))));
    if (hits != 0) return i + static_cast<std::size_t>(std::countr_zero(hits));
    i += 16;
  }
#endif
  while (i < text.size() && text[i] != ':' && text[i] != ' ') ++i;
  return i;
}

// The figure read as strtoul reads it (white space, a sign, decimal digits) at pos; 0
// when there are no digits or when pos lies at or past the end of the text.
std::uint32_t FigureAt(std::string_view text, std::size_t pos) {
  if (pos >= text.size()) return 0;
  Scanner scan(text.substr(pos));
  std::uint32_t value = 0;
  return scan.Unsigned(&value) ? value : 0;
}

// The figure `offset` characters after the first `key` found at or after `from`; 0 when
// the key does not occur there.
std::uint32_t FigureAfter(std::string_view text, std::size_t from, std::string_view key, std::size_t offset) {
  if (from >= text.size()) return 0;
  const std::size_t at = text.find(key, from);
  return at == std::string_view::npos ? 0 : FigureAt(text, at + offset);
}

bool IsTotal(std::string_view tag) { return CompareAreaNames(tag, "total") == 0; }

}  // namespace

bool ParseAreaLine(AreaSet& areas, std::string_view text) {
  // Every form starts with the tag at the very first character.
  const std::size_t tag_length = TagLength(text);
  if (tag_length == 0 || tag_length > kMaxAreaTag) return false;
  const std::string_view tag = text.substr(0, tag_length);
  const std::string_view after_tag = text.substr(tag_length);
  // All three forms go on with a colon and then, after any white space, a word of their
  // own; its first letter tells which form alone can match.
  Scanner form(after_tag);
  if (!form.Char(':')) return false;
  form.SkipSpace();
  const char word = form.at_end() ? '\0' : form.rest().front();

  // "TAG: toss - N (B bytes)", perhaps followed by ", dupes - D" and ", sent - S" in
  // either order. The form counts once the byte count is read.
  if (word == 't') {
    std::uint32_t imported = 0;
    std::uint32_t bytes = 0;
    if (!(form.Literal("toss - ") && form.Unsigned(&imported) && form.Literal(" (") && form.Unsigned(&bytes))) {
      return false;
    }
    const std::size_t from = tag.size() + kTailSearchOffset;
    const std::uint32_t dupes = FigureAfter(text, from, "du", kDupesFigureOffset);
    const std::uint32_t exported = FigureAfter(text, from, "se", kSentFigureOffset);
    areas.Accumulate(tag, imported, bytes, exported, dupes);
    return true;
  }

  // "TAG: sent - S" and "TAG: dupes - D"; the tosser's summary line "total" is not an area.
  std::uint32_t figure = 0;
  if (word == 's') {
    if (!(form.Literal("sent - ") && form.Unsigned(&figure)) || IsTotal(tag)) return false;
    areas.Accumulate(tag, 0, 0, figure, 0);
    return true;
  }
  if (word == 'd') {
    if (!(form.Literal("dupes - ") && form.Unsigned(&figure)) || IsTotal(tag)) return false;
    areas.Accumulate(tag, 0, 0, 0, figure);
    return true;
  }
  return false;
}

}  // namespace kestrum
