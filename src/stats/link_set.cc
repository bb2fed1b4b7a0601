#include "stats/link_set.h"

namespace kestrum {

LinkRecord* LinkSet::Find(std::string_view name) { return records_.Find(name); }

const LinkRecord* LinkSet::Find(std::string_view name) const { return records_.Find(name); }

LinkRecord& LinkSet::Add(std::string_view name) {
  LinkRecord record;
  record.name = std::string(name);
  return records_.Append(std::move(record));
}

LinkRecord& LinkSet::InsertAt(const LinkRecord& record, std::size_t position) {
  return records_.InsertAt(record, position);
}

void LinkSet::Accumulate(std::string_view name, std::uint32_t received, std::uint32_t sent, std::uint32_t requests) {
  LinkRecord* link = records_.Find(name);
  if (link == nullptr) link = &Add(name);
  link->bytes_received += static_cast<double>(received);
  link->bytes_sent += static_cast<double>(sent);
  link->areafix_requests += requests;  // unsigned: wraps modulo 2^32
}

void LinkSet::AccumulateSet(const LinkSet& part, std::size_t from, std::size_t to) {
  for (std::size_t i = from; i < to && i < part.count(); ++i) {
    const LinkRecord& figures = part[i];
    LinkRecord* link = Find(figures.name);
    if (link == nullptr) link = &Add(figures.name);
    link->bytes_received += figures.bytes_received;
    link->bytes_sent += figures.bytes_sent;
    link->areafix_requests += figures.areafix_requests;
  }
}

const char* HandleIgnoreLink(LinkSet& links, std::string_view value) {
  // The whole value is the address, written exactly as the log writes it.
  LinkRecord* link = links.Find(value);
  if (link == nullptr) link = &links.Add(value);
  link->ignored = 1;
  return nullptr;
}

}  // namespace kestrum
