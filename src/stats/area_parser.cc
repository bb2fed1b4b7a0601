#include "stats/area_parser.h"

#include <cstdint>

#include "platform/byte_search.h"
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

// The figure read as strtoul reads it (white space, a sign, decimal digits) at pos; 0
// when there are no digits or when pos lies at or past the end of the text.
std::uint32_t FigureAt(std::string_view text, std::size_t pos) {
  if (pos >= text.size()) return 0;
  Scanner scan(text.substr(pos));
  std::uint32_t value = 0;
  return scan.Unsigned(&value) ? value : 0;
}

// The figure `offset` characters after a key found at `at`; 0 for a key not found.
std::uint32_t FigureAfter(std::string_view text, std::size_t at, std::size_t offset) {
  return at == std::string_view::npos ? 0 : FigureAt(text, at + offset);
}

// A toss line written exactly as the tosser writes it, read with plain pointers from a
// given place: ": toss - N (B bytes)" right after the tag, figures of one to nine digits
// (the scanner reads each to the same value, as none can overflow or wrap), and then the
// tail. Any other line, or any other spelling of this one, is left to the scanner
// (false, the figures unset).
class TossLayout {
 public:
  TossLayout(std::string_view text, std::size_t at)
      : text_(text.data()), at_(text.data() + at), end_(text.data() + text.size()) {}

  // The whole form from the colon after the tag.
  bool Read(std::size_t from, std::uint32_t* imported, std::uint32_t* bytes, std::uint32_t* dupes,
            std::uint32_t* exported) {
    return Exact(": toss - ") && Figure(imported) && Exact(" (") && Figure(bytes) && Tail(from, dupes, exported);
  }

  // The tail from just past the byte count: " bytes)" and then either the end of the
  // line or ", dupes - D", ", sent - S", both in that order or both the other way round.
  // Its figures are those the search from `from` (kTailSearchOffset past the tag) finds:
  // no key can begin in what was read after the tag nor in " bytes), " (colon, toss,
  // blanks, signs, digits, parenthesis: no "du", no "se"), nor in a figure and the ", "
  // after it, so the first "du" is the one in "dupes" and the first "se" the one in
  // "sent" when the word lies at or past `from`. A key left out of the tail is absent
  // only when the line ends right after the last figure; both keys found, whatever
  // follows does not matter. False, with the figures unset, for any other tail, which
  // the search then reads.
  bool Tail(std::size_t from, std::uint32_t* dupes, std::uint32_t* exported) {
    if (!Exact(" bytes)")) return false;
    std::uint32_t dupes_figure = 0;
    std::uint32_t sent_figure = 0;
    if (!LineEnds()) {
      if (!(Exact(", ") && static_cast<std::size_t>(at_ - text_) >= from)) return false;
      if (Exact("dupes - ")) {
        if (!Figure(&dupes_figure)) return false;
        if (!LineEnds() && !(Exact(", sent - ") && Figure(&sent_figure))) return false;
      } else if (Exact("sent - ")) {
        if (!Figure(&sent_figure)) return false;
        if (!LineEnds() && !(Exact(", dupes - ") && Figure(&dupes_figure))) return false;
      } else {
        return false;
      }
    }
    *dupes = dupes_figure;
    *exported = sent_figure;
    return true;
  }

 private:
  template <std::size_t N>
  bool Exact(const char (&characters)[N]) {
    if (end_ - at_ < static_cast<std::ptrdiff_t>(N - 1) || !ScanSameBytes(at_, characters)) return false;
    at_ += N - 1;
    return true;
  }

  // One to nine decimal digits, not followed by another digit.
  bool Figure(std::uint32_t* value) {
    const char* const start = at_;
    const char* const limit = end_ - start > 10 ? start + 10 : end_;
    std::uint32_t number = 0;
    unsigned digit = 0;
    while (at_ < limit && (digit = static_cast<unsigned char>(*at_) - unsigned{'0'}) <= 9) {
      number = number * 10 + digit;
      ++at_;
    }
    if (at_ == start || at_ - start > 9) return false;
    *value = number;
    return true;
  }

  bool LineEnds() const { return at_ == end_ || (end_ - at_ == 1 && *at_ == '\n'); }

  const char* text_;
  const char* at_;
  const char* end_;
};

// Adds the figures to the tagged area and tells the line, if any, what it added.
void Take(AreaSet& areas, std::string_view tag, std::uint32_t imported, std::uint32_t bytes, std::uint32_t exported,
          std::uint32_t dupes, AreaLine* line) {
  AreaRecord& area = areas.Accumulate(tag, imported, bytes, exported, dupes);
  if (line != nullptr) *line = AreaLine{&area, TrafficFigures{imported, exported, dupes, static_cast<double>(bytes)}};
}

bool IsTotal(std::string_view tag) { return tag.size() == 5 && CompareAreaNames(tag, "total") == 0; }

}  // namespace

bool ParseAreaLineAfterTag(AreaSet& areas, std::string_view text, std::size_t tag_length, AreaLine* line) {
  if (tag_length >= text.size()) return false;  // no colon after the tag
  const std::string_view tag = text.substr(0, tag_length);
  {
    std::uint32_t imported = 0;
    std::uint32_t bytes = 0;
    std::uint32_t dupes = 0;
    std::uint32_t exported = 0;
    if (TossLayout(text, tag_length).Read(tag_length + kTailSearchOffset, &imported, &bytes, &dupes, &exported)) {
      Take(areas, tag, imported, bytes, exported, dupes, line);
      return true;
    }
  }
  // All three forms go on after any white space with a word of their own; its first
  // letter tells which form alone can match.
  Scanner form(text.substr(tag_length));
  form.Char(':');
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
    std::uint32_t dupes = 0;
    std::uint32_t exported = 0;
    if (!TossLayout(text, tag.size() + form.pos()).Tail(from, &dupes, &exported)) {
      const TailKeys keys = FindTailKeys(text, from);
      dupes = FigureAfter(text, keys.dupes, kDupesFigureOffset);
      exported = FigureAfter(text, keys.sent, kSentFigureOffset);
    }
    Take(areas, tag, imported, bytes, exported, dupes, line);
    return true;
  }

  // "TAG: sent - S" and "TAG: dupes - D"; the tosser's summary line "total" is not an area.
  std::uint32_t figure = 0;
  if (word == 's') {
    if (!(form.Literal("sent - ") && form.Unsigned(&figure)) || IsTotal(tag)) return false;
    Take(areas, tag, 0, 0, figure, 0, line);
    return true;
  }
  if (word == 'd') {
    if (!(form.Literal("dupes - ") && form.Unsigned(&figure)) || IsTotal(tag)) return false;
    Take(areas, tag, 0, 0, 0, figure, line);
    return true;
  }
  return false;
}

}  // namespace kestrum
