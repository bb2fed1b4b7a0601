// Records kept in the order they were named and found by name in constant time: an
// open-addressing index from names to positions in the record vector, whose lookup probes
// a flat array of small slots instead of chasing a node per name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kestrum {

// Hash and Equal work on string_views; NameAt(position) gives the name stored at a
// position of the indexed vector.
template <typename Hash, typename Equal>
class NameIndex {
 public:
  static constexpr std::size_t npos = static_cast<std::size_t>(-1);

  template <typename NameAt>
  std::size_t Find(std::string_view name, const NameAt& name_at) const {
    if (slots_.empty()) return npos;
    const std::uint64_t hash = Hash{}(name);
    const std::uint32_t tag = static_cast<std::uint32_t>(hash >> 32);
    for (std::size_t i = hash & (slots_.size() - 1);; i = (i + 1) & (slots_.size() - 1)) {
      const Slot slot = slots_[i];
      if (slot.position_plus_one == 0) return npos;
      if (slot.tag == tag && Equal{}(name_at(slot.position_plus_one - 1), name)) return slot.position_plus_one - 1;
    }
  }

  // Records that name (not yet present) stands at position.
  template <typename NameAt>
  void Insert(std::string_view name, std::size_t position, const NameAt& name_at) {
    if ((used_ + 1) * 2 > slots_.size()) Grow(name_at);
    Place(Hash{}(name), position);
    ++used_;
  }

  // Every position from `from` on moves up by one, as when a record is inserted there.
  void ShiftFrom(std::size_t from) {
    for (Slot& slot : slots_) {
      if (slot.position_plus_one != 0 && slot.position_plus_one - 1 >= from) ++slot.position_plus_one;
    }
  }

 private:
  struct Slot {
    std::uint32_t tag = 0;                // the hash's upper half, to skip most compares
    std::uint32_t position_plus_one = 0;  // 0: empty
  };

  void Place(std::uint64_t hash, std::size_t position) {
    std::size_t i = hash & (slots_.size() - 1);
    while (slots_[i].position_plus_one != 0) i = (i + 1) & (slots_.size() - 1);
    slots_[i] = Slot{static_cast<std::uint32_t>(hash >> 32), static_cast<std::uint32_t>(position + 1)};
  }

  template <typename NameAt>
  void Grow(const NameAt& name_at) {
    std::vector<Slot> old = std::move(slots_);
    slots_.assign(old.empty() ? 64 : old.size() * 2, Slot{});
    for (const Slot& slot : old) {
      if (slot.position_plus_one != 0) Place(Hash{}(name_at(slot.position_plus_one - 1)), slot.position_plus_one - 1);
    }
  }

  std::vector<Slot> slots_;
  std::size_t used_ = 0;
};

// A vector of records (each with a `name`) and its name index. Hash and Equal decide
// which names are the same.
template <typename Record, typename Hash, typename Equal>
class IndexedRecords {
 public:
  Record* Find(std::string_view name) {
    const std::size_t at = index_.Find(name, NameAt());
    return at == index_.npos ? nullptr : &records_[at];
  }
  const Record* Find(std::string_view name) const {
    const std::size_t at = index_.Find(name, NameAt());
    return at == index_.npos ? nullptr : &records_[at];
  }

  // Appends the record. Should a name be appended twice, Find keeps answering the first.
  Record& Append(Record record) {
    const std::size_t position = records_.size();
    records_.push_back(std::move(record));
    if (index_.Find(records_.back().name, NameAt()) == index_.npos) {
      index_.Insert(records_.back().name, position, NameAt());
    }
    return records_.back();
  }

  // Stores a copy at position (at most the count), the records from there on moving up
  // one place; a record of the same name already present is answered unchanged.
  Record& InsertAt(const Record& record, std::size_t position) {
    if (Record* existing = Find(record.name)) return *existing;
    if (position > records_.size()) position = records_.size();
    index_.ShiftFrom(position);
    records_.insert(records_.begin() + static_cast<std::ptrdiff_t>(position), record);
    index_.Insert(records_[position].name, position, NameAt());
    return records_[position];
  }

  std::size_t size() const { return records_.size(); }
  const Record& operator[](std::size_t index) const { return records_[index]; }
  typename std::vector<Record>::const_iterator begin() const { return records_.begin(); }
  typename std::vector<Record>::const_iterator end() const { return records_.end(); }

 private:
  auto NameAt() const {
    return [this](std::size_t position) { return std::string_view(records_[position].name); };
  }

  std::vector<Record> records_;
  NameIndex<Hash, Equal> index_;
};

}  // namespace kestrum
