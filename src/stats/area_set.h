// The echo areas of a run: one record per area with its counters and declaration flags,
// kept in the order areas were first named and found by name without regard to case.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/byte_search.h"
#include "stats/name_index.h"

namespace kestrum {

enum AreaFlag : std::uint32_t {
  AREA_IGNORED = 1,      // named by NetArea or Ignore.Area
  AREA_PASSTHROUGH = 2,  // EchoArea with -0 in its value
  AREA_UNKNOWN = 4,      // first met in the log
  AREA_DELETED = 8,      // named by DeletedArea
};

// What the area lines add to an area, or to a day or an hour of the period.
struct TrafficFigures {
  std::uint32_t imported = 0;  // messages; counters wrap modulo 2^32
  std::uint32_t exported = 0;
  std::uint32_t dupes = 0;
  double imported_bytes = 0.0;

  TrafficFigures& operator+=(const TrafficFigures& other) {
    imported += other.imported;
    exported += other.exported;
    dupes += other.dupes;
    imported_bytes += other.imported_bytes;
    return *this;
  }
  TrafficFigures& operator-=(const TrafficFigures& other) {
    imported -= other.imported;
    exported -= other.exported;
    dupes -= other.dupes;
    imported_bytes -= other.imported_bytes;
    return *this;
  }
};

// The four 32-bit fields stand together: a record takes 56 bytes, not 64.
struct AreaRecord {
  std::string name;
  std::uint32_t imported = 0;  // messages; counters wrap modulo 2^32
  std::uint32_t exported = 0;
  std::uint32_t dupes = 0;
  std::uint32_t flags = 0;
  double imported_bytes = 0.0;
};

class AreaSet {
 public:
  // The record whose name equals the given one under CompareAreaNames; nullptr if none.
  AreaRecord* Find(std::string_view name);
  const AreaRecord* Find(std::string_view name) const;

  // Appends a record named by the capitalised name (no check for an existing one).
  AreaRecord& Add(std::string_view name);

  // Stores a copy of the record at position (0..count), the rest moving up one place;
  // when a record of that name is already present, answers it and changes nothing.
  AreaRecord& InsertAt(const AreaRecord& record, std::size_t position);

  // Adds the figures to the named area, appending it when new, flagged AREA_UNKNOWN (or
  // as TakeFlagsFrom says), and answers the area.
  AreaRecord& Accumulate(std::string_view name, std::uint32_t imported, std::uint32_t bytes, std::uint32_t exported,
                         std::uint32_t dupes);

  // Adds the figures of another set's records (those from position `from` up to `to`),
  // in its order, as Accumulate does: the result of tallying part of a log apart, added
  // to what came before it.
  void AccumulateSet(const AreaSet& part, std::size_t from = 0, std::size_t to = static_cast<std::size_t>(-1));

  // For a set that tallies part of a log apart from the run's (a reading thread's): an
  // area new to it takes the flags of the run's area of that name, so that it is known
  // while the part is read whether the reports show it. The run's set must outlive this
  // one and not change while it is read.
  void TakeFlagsFrom(const AreaSet& declared) { declared_ = &declared; }

  std::size_t count() const { return records_.size(); }
  const AreaRecord& operator[](std::size_t index) const { return records_[index]; }
  auto begin() const { return records_.begin(); }
  auto end() const { return records_.end(); }

 private:
  // Index keys are names with a-z folded to A-Z (every other byte kept), so that names
  // alike but for the case of ASCII letters are one area. The hash is taken of the
  // bytes without their 0x20 bit, which a letter's two cases alone do not change.
  struct FoldedKey {
    static constexpr bool kRewrites = true;
    // Up to eight bytes packed into a word with a-z folded to A-Z and every other byte,
    // 0x80-0xFF included, kept. Inline: every lookup of a tag written otherwise than
    // its last spelling runs it on each piece.
    static std::uint64_t Rewrite(std::uint64_t bytes) noexcept {
      return bytes - (BytesInRange(bytes, 'a', 'z') >> 2);  // 0x80 >> 2 == 'a' - 'A'
    }
    static std::uint64_t Coarse(std::uint64_t bytes) noexcept { return bytes & ~0x2020202020202020ULL; }
  };

  // The named area, appended flagged AREA_UNKNOWN when new.
  AreaRecord& FindOrAddUnknown(std::string_view name);

  IndexedRecords<AreaRecord, FoldedKey> records_;
  const AreaSet* declared_ = nullptr;
};

// The flags of the areas that the area reports never show: ignored ones always, deleted
// and unknown ones unless their Show keyword is Yes.
constexpr std::uint32_t HiddenAreaFlags(bool show_deleted, bool show_unknown) {
  return AREA_IGNORED | (show_deleted ? 0U : AREA_DELETED) | (show_unknown ? 0U : AREA_UNKNOWN);
}

// What the area keywords' values do, each given its value text; they never refuse a line
// (answer nullptr).
const char* HandleEchoArea(AreaSet& areas, std::string_view value);     // EchoArea
const char* HandleIgnoreArea(AreaSet& areas, std::string_view value);   // NetArea, Ignore.Area
const char* HandleDeletedArea(AreaSet& areas, std::string_view value);  // DeletedArea

// Area tags longer than this are not taken (a configuration line is ignored, a log line
// is declined and so goes on to the link parser and the unclaimed lines).
inline constexpr std::size_t kMaxAreaTag = 199;

}  // namespace kestrum
