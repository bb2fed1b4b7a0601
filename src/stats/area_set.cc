#include "stats/area_set.h"

#include <cstdint>

#include "stats/area_name.h"
#include "stats/scan.h"

namespace kestrum {

namespace {

// The first word of a configuration value (as %s reads it), or nothing when there is
// none or when it is too long to be an area tag.
bool FirstTag(Scanner& scan, std::string_view* tag) { return scan.Word(0, tag) && tag->size() <= kMaxAreaTag; }

}  // namespace

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
  if (AreaRecord* area = records_.Find(name)) return *area;
  AreaRecord& area = Add(name);
  const AreaRecord* declared = declared_ != nullptr ? declared_->Find(name) : nullptr;
  area.flags = declared != nullptr ? declared->flags : static_cast<std::uint32_t>(AREA_UNKNOWN);
  return area;
}

AreaRecord& AreaSet::Accumulate(std::string_view name, std::uint32_t imported, std::uint32_t bytes,
                                std::uint32_t exported, std::uint32_t dupes) {
  AreaRecord& area = FindOrAddUnknown(name);
  area.imported += imported;  // unsigned: wraps modulo 2^32
  area.imported_bytes += static_cast<double>(bytes);
  area.exported += exported;
  area.dupes += dupes;
  return area;
}

void AreaSet::AccumulateSet(const AreaSet& part, std::size_t from, std::size_t to) {
  for (std::size_t i = from; i < to && i < part.count(); ++i) {
    const AreaRecord& figures = part[i];
    AreaRecord& area = FindOrAddUnknown(figures.name);
    area.imported += figures.imported;
    area.imported_bytes += figures.imported_bytes;
    area.exported += figures.exported;
    area.dupes += figures.dupes;
  }
}

const char* HandleEchoArea(AreaSet& areas, std::string_view value) {
  Scanner scan(value);
  std::string_view tag;
  if (!FirstTag(scan, &tag) || areas.Find(tag) != nullptr) return nullptr;
  AreaRecord& area = areas.Add(tag);
  // A pass-through area is marked by -0 anywhere in the line, the tag included.
  if (value.find("-0") != std::string_view::npos) area.flags |= AREA_PASSTHROUGH;
  return nullptr;
}

const char* HandleIgnoreArea(AreaSet& areas, std::string_view value) {
  Scanner scan(value);
  std::string_view tag;
  if (!FirstTag(scan, &tag)) return nullptr;
  AreaRecord* area = areas.Find(tag);
  if (area == nullptr) area = &areas.Add(tag);
  area->flags |= AREA_IGNORED;
  return nullptr;
}

const char* HandleDeletedArea(AreaSet& areas, std::string_view value) {
  // "NUMBER TAG": one to eight digits, whose value is of no use here, then the tag.
  Scanner scan(value);
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
