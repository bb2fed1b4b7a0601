// The links of a run: one record per FidoNet address seen, with bytes received, bytes
// sent and AreaFix requests, kept in the order first named and found by exact address text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "stats/name_index.h"

namespace kestrum {

struct LinkRecord {
  std::string name;  // the address text exactly as written
  double bytes_received = 0.0;
  double bytes_sent = 0.0;
  std::uint32_t areafix_requests = 0;  // wraps modulo 2^32
  std::int32_t ignored = 0;
};

class LinkSet {
 public:
  LinkRecord* Find(std::string_view name);
  const LinkRecord* Find(std::string_view name) const;

  // Appends a record with an unchanged copy of the name (no check for an existing one).
  LinkRecord& Add(std::string_view name);

  // Stores a copy at position (0..count); an existing name is answered unchanged.
  LinkRecord& InsertAt(const LinkRecord& record, std::size_t position);

  // Adds the figures to the named link, appending it when new.
  void Accumulate(std::string_view name, std::uint32_t received, std::uint32_t sent, std::uint32_t requests);

  // Adds the figures of another set's records (those from position `from` up to `to`),
  // in its order, as Accumulate does.
  void AccumulateSet(const LinkSet& part, std::size_t from = 0, std::size_t to = static_cast<std::size_t>(-1));

  std::size_t count() const { return records_.size(); }
  const LinkRecord& operator[](std::size_t index) const { return records_[index]; }
  auto begin() const { return records_.begin(); }
  auto end() const { return records_.end(); }

 private:
  // Addresses are matched by their exact text.
  IndexedRecords<LinkRecord, NameIsKey> records_;
};

// Ignore.Link, given its value text: the whole value is the address; the link is added if
// new and marked. Never refuses a line (answers nullptr).
const char* HandleIgnoreLink(LinkSet& links, std::string_view value);

// Address texts from the log longer than this are not taken (the line is declined).
inline constexpr std::size_t kMaxAddressText = 27;

}  // namespace kestrum
