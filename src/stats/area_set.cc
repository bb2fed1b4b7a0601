#include "stats/area_set.h"

#include "stats/area_name.h"
#include "stats/scan.h"

namespace kestrum {

namespace {

constexpr unsigned char FoldUpper(char c) {
  return static_cast<unsigned char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
}

// The first word of a configuration value (as %s reads it), or nothing when there is
// none or when it is too long to be an area tag.
bool FirstTag(Scanner& scan, std::string_view* tag) {
  return scan.Word(0, tag) && tag->size() <= kMaxAreaTag;
}

}  // namespace

std::size_t AreaSet::FoldedHash::operator()(std::string_view name) const noexcept {
  // FNV-1a over the folded bytes: cheap, and good enough for area tags.
  std::uint64_t hash = 14695981039346656037ULL;
  for (const char c : name) {
    hash ^= FoldUpper(c);
    hash *= 1099511628211ULL;
  }
  return static_cast<std::size_t>(hash);
}

bool AreaSet::FoldedEqual::operator()(std::string_view a, std::string_view b) const noexcept {
  return CompareAreaNames(a, b) == 0;
}

AreaRecord* AreaSet::Find(std::string_view name) {
  const auto it = index_.find(name);
  return it == index_.end() ? nullptr : &records_[it->second];
}

const AreaRecord* AreaSet::Find(std::string_view name) const {
  const auto it = index_.find(name);
  return it == index_.end() ? nullptr : &records_[it->second];
}

AreaRecord& AreaSet::Add(std::string_view name) {
  AreaRecord record;
  record.name = std::string(name);
  CapitalizeAreaName(record.name);
  // Should a caller add a name twice, Find keeps answering the earlier record.
  index_.try_emplace(record.name, records_.size());
  return records_.emplace_back(std::move(record));
}

AreaRecord& AreaSet::InsertAt(const AreaRecord& record, std::size_t position) {
  if (AreaRecord* existing = Find(record.name)) return *existing;
  if (position > records_.size()) position = records_.size();
  if (position < records_.size()) {
    for (auto& entry : index_) {
      if (entry.second >= position) ++entry.second;
    }
  }
  records_.insert(records_.begin() + static_cast<std::ptrdiff_t>(position), record);
  index_.try_emplace(record.name, position);
  return records_[position];
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
