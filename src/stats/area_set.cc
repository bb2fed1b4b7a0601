#include "stats/area_set.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "stats/area_name.h"
#include "stats/scan.h"

namespace kestrum {

namespace {

// The first word of a configuration value (as %s reads it), or nothing when there is
// none or when it is too long to be an area tag.
bool FirstTag(Scanner& scan, std::string_view* tag) {
  return scan.Word(0, tag) && tag->size() <= kMaxAreaTag;
}

}  // namespace

namespace {

// Eight bytes with a-z folded to A-Z and every other byte, 0x80-0xFF included, kept.
std::uint64_t FoldWord(std::uint64_t x) {
  constexpr std::uint64_t kHighs = 0x8080808080808080ULL;
  constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
  const std::uint64_t low7 = x & ~kHighs;
  const std::uint64_t from_a = low7 + kOnes * (0x80 - 'a');      // high bit: byte >= 'a'
  const std::uint64_t past_z = low7 + kOnes * (0x80 - 'z' - 1);  // high bit: byte > 'z'
  const std::uint64_t lower = from_a & ~past_z & ~x & kHighs;    // ASCII a-z only
  return x - (lower >> 2);                                       // 0x80 >> 2 == 'a' - 'A'
}

// Eight bytes of a name of at least eight, from at, as one little-endian word.
std::uint64_t Word8(std::string_view name, std::size_t at) {
  std::uint64_t word = 0;
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(&word, name.data() + at, 8);
  } else {
    for (std::size_t i = 0; i < 8; ++i) word |= std::uint64_t{static_cast<unsigned char>(name[at + i])} << (8 * i);
  }
  return word;
}

// A name shorter than eight bytes as one word padded with zeros.
std::uint64_t ShortWord(std::string_view name) {
  std::uint64_t word = 0;
  for (std::size_t i = 0; i < name.size(); ++i) word |= std::uint64_t{static_cast<unsigned char>(name[i])} << (8 * i);
  return word;
}

// Calls take(word) with the folded words that cover the name: whole words from its
// start and, for the rest, its last eight bytes (overlapping the word before). Names of
// one length are covered at the same positions, so equal names give equal words.
template <typename Take>
void ForEachFoldedWord(std::string_view name, Take take) {
  if (name.size() < 8) {
    take(FoldWord(ShortWord(name)));
    return;
  }
  for (std::size_t at = 0; at + 8 < name.size(); at += 8) take(FoldWord(Word8(name, at)));
  take(FoldWord(Word8(name, name.size() - 8)));
}

}  // namespace

std::size_t AreaSet::FoldedHash::operator()(std::string_view name) const noexcept {
  // Folded words mixed by multiplication: cheap, and good enough for area tags.
  std::uint64_t hash = 0x9E3779B97F4A7C15ULL ^ name.size();
  ForEachFoldedWord(name, [&](std::uint64_t word) {
    hash = (hash ^ word) * 0xFF51AFD7ED558CCDULL;
    hash ^= hash >> 32;
  });
  return static_cast<std::size_t>(hash);
}

bool AreaSet::FoldedEqual::operator()(std::string_view a, std::string_view b) const noexcept {
  if (a.size() != b.size()) return false;
  if (a.size() < 8) return FoldWord(ShortWord(a)) == FoldWord(ShortWord(b));
  std::size_t at = 0;
  for (; at + 8 < a.size(); at += 8) {
    if (FoldWord(Word8(a, at)) != FoldWord(Word8(b, at))) return false;
  }
  return FoldWord(Word8(a, a.size() - 8)) == FoldWord(Word8(b, b.size() - 8));
}

AreaRecord* AreaSet::Find(std::string_view name) { return records_.Find(name); }

const AreaRecord* AreaSet::Find(std::string_view name) const { return records_.Find(name); }

AreaRecord& AreaSet::Add(std::string_view name) {
  AreaRecord record;
  record.name = std::string(name);
  CapitalizeAreaName(record.name);
  return records_.Append(std::move(record));
}

AreaRecord& AreaSet::InsertAt(const AreaRecord& record, std::size_t position) {
  return records_.InsertAt(record, position);
}

AreaRecord& AreaSet::FindOrAddUnknown(std::string_view name) {
  if (AreaRecord* area = Find(name)) return *area;
  AreaRecord& area = Add(name);
  area.flags |= AREA_UNKNOWN;
  return area;
}

void AreaSet::Accumulate(std::string_view name, std::uint32_t imported, std::uint32_t bytes, std::uint32_t exported,
                         std::uint32_t dupes) {
  AreaRecord& area = FindOrAddUnknown(name);
  area.imported += imported;  // unsigned: wraps modulo 2^32
  area.imported_bytes += static_cast<double>(bytes);
  area.exported += exported;
  area.dupes += dupes;
}

void AreaSet::AccumulateSet(const AreaSet& part) {
  for (const AreaRecord& figures : part) {
    AreaRecord& area = FindOrAddUnknown(figures.name);
    area.imported += figures.imported;
    area.imported_bytes += figures.imported_bytes;
    area.exported += figures.exported;
    area.dupes += figures.dupes;
  }
}

const char* HandleEchoArea(AreaSet& areas, KeywordEntry& entry) {
  if (!entry.value) return nullptr;
  const std::string_view value = *entry.value;
  Scanner scan(value);
  std::string_view tag;
  if (!FirstTag(scan, &tag) || areas.Find(tag) != nullptr) return nullptr;
  AreaRecord& area = areas.Add(tag);
  // A pass-through area is marked by -0 anywhere in the line, the tag included.
  if (value.find("-0") != std::string_view::npos) area.flags |= AREA_PASSTHROUGH;
  return nullptr;
}

const char* HandleIgnoreArea(AreaSet& areas, KeywordEntry& entry) {
  if (!entry.value) return nullptr;
  Scanner scan(*entry.value);
  std::string_view tag;
  if (!FirstTag(scan, &tag)) return nullptr;
  AreaRecord* area = areas.Find(tag);
  if (area == nullptr) area = &areas.Add(tag);
  area->flags |= AREA_IGNORED;
  return nullptr;
}

const char* HandleDeletedArea(AreaSet& areas, KeywordEntry& entry) {
  if (!entry.value) return nullptr;
  // "NUMBER TAG": one to eight digits, whose value is of no use here, then the tag.
  Scanner scan(*entry.value);
  std::string_view tag;
  if (!scan.Set([](char c) { return c >= '0' && c <= '9'; }, 8, nullptr)) return nullptr;
  scan.SkipSpace();
  if (!FirstTag(scan, &tag)) return nullptr;
  AreaRecord* area = areas.Find(tag);
  if (area == nullptr) area = &areas.Add(tag);
  area->flags |= AREA_DELETED;
  return nullptr;
}

}  // namespace kestrum
