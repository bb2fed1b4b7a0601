#include "stats/link_set.h"

namespace kestrum {

std::size_t LinkSet::NameHash::operator()(std::string_view name) const noexcept {
  return std::hash<std::string_view>{}(name);
}

LinkRecord* LinkSet::Find(std::string_view name) {
  const std::size_t at = index_.Find(name, NameAt());
  return at == index_.npos ? nullptr : &records_[at];
}

const LinkRecord* LinkSet::Find(std::string_view name) const {
  const std::size_t at = index_.Find(name, NameAt());
  return at == index_.npos ? nullptr : &records_[at];
}

LinkRecord& LinkSet::Add(std::string_view name) {
  LinkRecord record;
  record.name = std::string(name);
  // Should a caller add a name twice, Find keeps answering the earlier record.
  const std::size_t position = records_.size();
  records_.push_back(std::move(record));
  if (index_.Find(records_.back().name, NameAt()) == index_.npos) {
    index_.Insert(records_.back().name, position, NameAt());
  }
  return records_.back();
}

LinkRecord& LinkSet::InsertAt(const LinkRecord& record, std::size_t position) {
  if (LinkRecord* existing = Find(record.name)) return *existing;
  if (position > records_.size()) position = records_.size();
  if (position < records_.size()) {
    index_.ShiftFrom(position);
  }
  records_.insert(records_.begin() + static_cast<std::ptrdiff_t>(position), record);
  index_.Insert(records_[position].name, position, NameAt());
  return records_[position];
}

void LinkSet::Accumulate(std::string_view name, std::uint32_t received, std::uint32_t sent, std::uint32_t requests) {
  LinkRecord* link = Find(name);
  if (link == nullptr) link = &Add(name);
  link->bytes_received += static_cast<double>(received);
  link->bytes_sent += static_cast<double>(sent);
  link->areafix_requests += requests;  // unsigned: wraps modulo 2^32
}

const char* HandleIgnoreLink(LinkSet& links, KeywordEntry& entry) {
  if (!entry.value) return nullptr;
  // The whole value is the address, written exactly as the log writes it.
  LinkRecord* link = links.Find(*entry.value);
  if (link == nullptr) link = &links.Add(*entry.value);
  link->ignored = 1;
  return nullptr;
}

}  // namespace kestrum
