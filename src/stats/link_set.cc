#include "stats/link_set.h"

namespace kestrum {

LinkRecord* LinkSet::Find(std::string_view) { return nullptr; }
const LinkRecord* LinkSet::Find(std::string_view) const { return nullptr; }
LinkRecord& LinkSet::Add(std::string_view name) { return records_.emplace_back(LinkRecord{std::string(name)}); }
LinkRecord& LinkSet::InsertAt(const LinkRecord& record, std::size_t) { return records_.emplace_back(record); }
void LinkSet::Accumulate(std::string_view, std::uint32_t, std::uint32_t, std::uint32_t) {}
const char* HandleIgnoreLink(LinkSet&, KeywordEntry&) { return nullptr; }

}  // namespace kestrum
