#include "stats/area_set.h"

namespace kestrum {

AreaRecord* AreaSet::Find(std::string_view) { return nullptr; }
const AreaRecord* AreaSet::Find(std::string_view) const { return nullptr; }
AreaRecord& AreaSet::Add(std::string_view name) { return records_.emplace_back(AreaRecord{std::string(name)}); }
AreaRecord& AreaSet::InsertAt(const AreaRecord& record, std::size_t) { return records_.emplace_back(record); }
void AreaSet::Accumulate(std::string_view, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t) {}
const char* HandleEchoArea(AreaSet&, KeywordEntry&) { return nullptr; }
const char* HandleIgnoreArea(AreaSet&, KeywordEntry&) { return nullptr; }
const char* HandleDeletedArea(AreaSet&, KeywordEntry&) { return nullptr; }

}  // namespace kestrum
