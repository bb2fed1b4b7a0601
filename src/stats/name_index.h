// An open-addressing index from names to positions in a set's record vector: a lookup
// probes a flat array of small slots instead of chasing a node per name, so it touches
// little memory even with thousands of names.
#pragma once

#include <cstddef>
#include <cstdint>
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

}  // namespace kestrum
