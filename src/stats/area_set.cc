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

// The name's bytes from at, up to eight, as one little-endian word padded with zeros.
std::uint64_t LoadWord(std::string_view name, std::size_t at) {
  std::uint64_t word = 0;
  const std::size_t n = std::min<std::size_t>(8, name.size() - at);
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(&word, name.data() + at, n);
  } else {
    for (std::size_t i = 0; i < n; ++i) word |= std::uint64_t{static_cast<unsigned char>(name[at + i])} << (8 * i);
  }
  return word;
}

}  // namespace

std::size_t AreaSet::FoldedHash::operator()(std::string_view name) const noexcept {
  // Folded words mixed by multiplication: cheap, and good enough for area tags.
  std::uint64_t hash = 0x9E3779B97F4A7C15ULL ^ name.size();
  for (std::size_t at = 0; at < name.size(); at += 8) {
    hash = (hash ^ FoldWord(LoadWord(name, at))) * 0xFF51AFD7ED558CCDULL;
    hash ^= hash >> 32;
  }
  return static_cast<std::size_t>(hash);
}

bool AreaSet::FoldedEqual::operator()(std::string_view a, std::string_view b) const noexcept {
  if (a.size() != b.size()) return false;
  for (std::size_t at = 0; at < a.size(); at += 8) {
    if (FoldWord(LoadWord(a, at)) != FoldWord(LoadWord(b, at))) return false;
  }
  return true;
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

void AreaSet::Accumulate(std::string_view name, std::uint32_t imported, std::uint32_t bytes, std::uint32_t exported,
                         std::uint32_t dupes) {
  AreaRecord* area = Find(name);
  if (area == nullptr) {
    area = &Add(name);
    area->flags |= AREA_UNKNOWN;
  }
  area->imported += imported;  // unsigned: wraps modulo 2^32
  area->imported_bytes += static_cast<double>(bytes);
  area->exported += exported;
  area->dupes += dupes;
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
