// Records kept in the order they were named and found by name in constant time: an
// open-addressing index from keys to positions in the record vector, whose lookup probes
// a flat array of small slots instead of chasing a node per name.
//
// A record's key is its name, or a byte-by-byte rewriting of it (the area set folds
// letter case). A lookup takes the name it is given as it stands, eight bytes at a time:
// it hashes a coarser form that every name of one key shares, and compares it with the
// stored key, rewriting a piece of it only where the two differ; with a rewriting form
// it first compares the spelling the record was last found by, and a name spelt
// otherwise becomes that spelling. Stored keys are never rewritten again.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace kestrum {

namespace key_text {

// Unaligned loads and stores of four and eight bytes; every caller stays inside its text.
inline std::uint64_t Load8(const char* p) {
  std::uint64_t word;
  std::memcpy(&word, p, 8);
  return word;
}
inline std::uint64_t Load4(const char* p) {
  std::uint32_t word;
  std::memcpy(&word, p, 4);
  return word;
}
inline void Store8(char* p, std::uint64_t word) { std::memcpy(p, &word, 8); }
inline void Store4(char* p, std::uint64_t word) {
  const std::uint32_t low = static_cast<std::uint32_t>(word);
  std::memcpy(p, &low, 4);
}

inline std::uint64_t Mix(std::uint64_t hash, std::uint64_t word) {
  hash = (hash ^ word) * 0xFF51AFD7ED558CCDULL;
  return hash ^ (hash >> 32);
}

}  // namespace key_text

// Key forms. A form maps a name to its key byte by byte, the key being what makes names
// the same. Its functions take up to eight bytes packed into a word and map each byte on
// its own (zero bytes staying zero):
//   Rewrite: the key's bytes. Applied twice it changes nothing more.
//   Coarse:  what the hash is taken of; Coarse(Rewrite(x)) == Coarse(x), so a key and
//            every name of it hash alike, and a name is hashed as it stands.
// kRewrites tells whether keys differ from names at all (and must be kept apart).
//
// A record's name is its key as it stands:
struct NameIsKey {
  static constexpr bool kRewrites = false;
  static std::uint64_t Rewrite(std::uint64_t bytes) noexcept { return bytes; }
  static std::uint64_t Coarse(std::uint64_t bytes) noexcept { return bytes; }
};

// Names and keys are read in pieces: for n >= 8 bytes whole words from the start, then
// the last eight bytes (overlapping the word before); for 4..7 bytes the first and last
// four; shorter ones byte by byte. Texts of one length are read at the same places.

// The hash of a name's key, taken of its pieces as Form::Coarse leaves them: cheap, and
// good enough for area tags and addresses. Always inline: it runs for every log line
// that names an area or a link, and a call costs a good part of it.
template <typename Form>
[[gnu::always_inline]] inline std::uint64_t NameHash(std::string_view name) noexcept {
  using namespace key_text;
  const char* const p = name.data();
  const std::size_t n = name.size();
  std::uint64_t hash = 0x9E3779B97F4A7C15ULL ^ n;
  if (n >= 8) {
    for (std::size_t at = 0; at + 8 < n; at += 8) hash = Mix(hash, Form::Coarse(Load8(p + at)));
    hash = Mix(hash, Form::Coarse(Load8(p + n - 8)));
  } else if (n >= 4) {
    hash = Mix(hash, Form::Coarse(Load4(p) | Load4(p + n - 4) << 32));
  } else {
    std::uint64_t word = 0;
    for (std::size_t at = 0; at < n; ++at) word = word << 8 | static_cast<unsigned char>(p[at]);
    hash = Mix(hash, Form::Coarse(word));
  }
  // The index takes its slot from the low bits, which a product draws from the low bits
  // of its factors only: the last bytes of a word ("SU.SYSOP.42", "...SOP.43") would
  // reach them but weakly and names alike crowd together. One more round spreads them.
  hash ^= hash >> 29;
  hash *= 0xBF58476D1CE4E5B9ULL;
  return hash ^ (hash >> 32);
}

// Whether a name has the given key: piece by piece the key equals the name's piece as
// it stands or, when the name is written otherwise, rewritten.
template <typename Form>
bool KeyOf(std::string_view key, std::string_view name) noexcept {
  using namespace key_text;
  const std::size_t n = name.size();
  if (key.size() != n) return false;
  const char* const k = key.data();
  const char* const p = name.data();
  const auto same = [](std::uint64_t key_piece, std::uint64_t name_piece) {
    return key_piece == name_piece || key_piece == Form::Rewrite(name_piece);
  };
  if (n >= 8) {
    for (std::size_t at = 0; at + 8 < n; at += 8) {
      if (!same(Load8(k + at), Load8(p + at))) return false;
    }
    return same(Load8(k + n - 8), Load8(p + n - 8));
  }
  if (n >= 4) return same(Load4(k) | Load4(k + n - 4) << 32, Load4(p) | Load4(p + n - 4) << 32);
  for (std::size_t at = 0; at < n; ++at) {
    if (!same(static_cast<unsigned char>(k[at]), static_cast<unsigned char>(p[at]))) return false;
  }
  return true;
}

// Writes the key of a name to out (room for name.size() bytes).
template <typename Form>
void WriteKey(std::string_view name, char* out) noexcept {
  using namespace key_text;
  const char* const p = name.data();
  const std::size_t n = name.size();
  if (n >= 8) {
    for (std::size_t at = 0; at + 8 < n; at += 8) Store8(out + at, Form::Rewrite(Load8(p + at)));
    Store8(out + n - 8, Form::Rewrite(Load8(p + n - 8)));
  } else if (n >= 4) {
    Store4(out, Form::Rewrite(Load4(p)));
    Store4(out + n - 4, Form::Rewrite(Load4(p + n - 4)));
  } else {
    for (std::size_t at = 0; at < n; ++at) {
      out[at] = static_cast<char>(Form::Rewrite(static_cast<unsigned char>(p[at])));
    }
  }
}

// The index proper. Hashes are NameHash<Form> values; KeyAt(position) gives the key
// stored for a position of the indexed vector.
template <typename Form>
class NameIndex {
 public:
  static constexpr std::size_t npos = static_cast<std::size_t>(-1);

  // The position of the key of a name of that hash; has_key(position, name) tells
  // whether the key stored for a position is the name's.
  template <typename HasKey>
  std::size_t Find(std::string_view name, std::uint64_t hash, const HasKey& has_key) const {
    if (slots_.empty()) return npos;
    const std::uint32_t tag = static_cast<std::uint32_t>(hash >> 32);
    for (std::size_t i = hash & (slots_.size() - 1);; i = (i + 1) & (slots_.size() - 1)) {
      const Slot slot = slots_[i];
      if (slot.position_plus_one == 0) return npos;
      if (slot.tag == tag && has_key(slot.position_plus_one - 1, name)) return slot.position_plus_one - 1;
    }
  }

  // Records that a key of that hash (not yet present) stands at position.
  template <typename KeyAt>
  void Insert(std::uint64_t hash, std::size_t position, const KeyAt& key_at) {
    if ((used_ + 1) * 2 > slots_.size()) Grow(key_at);
    Place(hash, position);
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

  template <typename KeyAt>
  void Grow(const KeyAt& key_at) {
    std::vector<Slot> old = std::move(slots_);
    slots_.assign(old.empty() ? 64 : old.size() * 2, Slot{});
    for (const Slot& slot : old) {
      if (slot.position_plus_one != 0) {
        Place(NameHash<Form>(key_at(slot.position_plus_one - 1)), slot.position_plus_one - 1);
      }
    }
  }

  std::vector<Slot> slots_;
  std::size_t used_ = 0;
};

// A vector of records (each with a `name`) and its name index. KeyForm (NameIsKey or a
// rewriting form, see above) decides which names are the same: those of equal keys.
// Lookups hash and compare the name given as it stands: only new records have their
// key written. With a rewriting form each record also keeps the spelling its name was
// last found by, which a lookup compares first: a log names an area the same way line
// after line, and then no byte need be rewritten.
template <typename Record, typename KeyForm>
class IndexedRecords {
 public:
  // The record of the name's key; nullptr if none. The first form notes the name's
  // spelling as the record's last.
  Record* Find(std::string_view name) {
    const std::size_t at = index_.Find(name, NameHash<KeyForm>(name), HasKeyNoting());
    return at == index_.npos ? nullptr : &records_[at];
  }
  const Record* Find(std::string_view name) const {
    const std::size_t at = index_.Find(name, NameHash<KeyForm>(name), HasKey());
    return at == index_.npos ? nullptr : &records_[at];
  }

  // Appends the record. Should a name be appended twice, Find keeps answering the first.
  Record& Append(Record record) {
    const std::size_t position = records_.size();
    records_.push_back(std::move(record));
    const std::uint64_t hash = StoreKey(records_.back().name, position);
    if (index_.Find(records_.back().name, hash, HasKey()) == index_.npos) index_.Insert(hash, position, KeyAt());
    return records_.back();
  }

  // Stores a copy at position (at most the count), the records from there on moving up
  // one place; a record of the same name already present is answered unchanged.
  Record& InsertAt(const Record& record, std::size_t position) {
    if (Record* existing = Find(record.name)) return *existing;
    if (position > records_.size()) position = records_.size();
    index_.ShiftFrom(position);
    records_.insert(records_.begin() + static_cast<std::ptrdiff_t>(position), record);
    index_.Insert(StoreKey(records_[position].name, position), position, KeyAt());
    return records_[position];
  }

  std::size_t size() const { return records_.size(); }
  const Record& operator[](std::size_t index) const { return records_[index]; }
  typename std::vector<Record>::const_iterator begin() const { return records_.begin(); }
  typename std::vector<Record>::const_iterator end() const { return records_.end(); }

 private:
  // Where a rewritten key lies in key_text_; the last spelling follows it, as long.
  struct KeySpan {
    std::size_t offset;
    std::size_t length;
  };

  // Keeps the key of the name of the record just placed at position and answers its
  // hash. Rewritten keys are appended to key_text_, each with the name as its first
  // spelling, and found by offset, so they stay valid when it grows.
  std::uint64_t StoreKey(std::string_view name, std::size_t position) {
    if constexpr (KeyForm::kRewrites) {
      const KeySpan span{key_text_.size(), name.size()};
      key_text_.resize(span.offset + 2 * span.length);
      WriteKey<KeyForm>(name, key_text_.data() + span.offset);
      std::memcpy(key_text_.data() + span.offset + span.length, name.data(), span.length);
      key_spans_.insert(key_spans_.begin() + static_cast<std::ptrdiff_t>(position), span);
    } else {
      (void)position;
    }
    return NameHash<KeyForm>(name);
  }

  // Whether the record at a position has the name's key. With a rewriting form the
  // name's spelling is compared with the record's last one before its key.
  auto HasKey() const {
    return [this](std::size_t position, std::string_view name) {
      if constexpr (KeyForm::kRewrites) {
        const KeySpan span = key_spans_[position];
        if (span.length != name.size()) return false;
        const char* const key = key_text_.data() + span.offset;
        return KeyOf<NameIsKey>(std::string_view(key + span.length, span.length), name) ||
               KeyOf<KeyForm>(std::string_view(key, span.length), name);
      } else {
        return KeyOf<KeyForm>(records_[position].name, name);
      }
    };
  }

  // HasKey, noting a name of the key spelt otherwise as the record's last spelling.
  auto HasKeyNoting() {
    return [this](std::size_t position, std::string_view name) {
      if constexpr (KeyForm::kRewrites) {
        const KeySpan span = key_spans_[position];
        if (span.length != name.size()) return false;
        char* const key = key_text_.data() + span.offset;
        if (KeyOf<NameIsKey>(std::string_view(key + span.length, span.length), name)) return true;
        if (!KeyOf<KeyForm>(std::string_view(key, span.length), name)) return false;
        std::memcpy(key + span.length, name.data(), span.length);
        return true;
      } else {
        return KeyOf<KeyForm>(records_[position].name, name);
      }
    };
  }

  auto KeyAt() const {
    return [this](std::size_t position) {
      if constexpr (KeyForm::kRewrites) {
        const KeySpan span = key_spans_[position];
        return std::string_view(key_text_.data() + span.offset, span.length);
      } else {
        return std::string_view(records_[position].name);
      }
    };
  }

  std::vector<Record> records_;
  std::vector<KeySpan> key_spans_;  // for rewriting key forms: one per record, in its place
  std::string key_text_;            // the rewritten keys one after another, each with its last spelling
  NameIndex<KeyForm> index_;
};

}  // namespace kestrum
