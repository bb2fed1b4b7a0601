// What the fuzz targets share: the input seen as a log line or a pair of texts, and a
// comparison of sets record by record, and a check that stops the run with the offending input shown when the program
// and its sscanf model (scanf_reference.h) disagree.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "stats/area_set.h"
#include "stats/link_set.h"

namespace kestrum::fuzzing {

inline std::string_view AsText(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

// The text up to its first NUL, as the driver cuts a log line and as every configuration
// value is.
inline std::string UpToNul(std::string_view text) { return std::string(text.substr(0, text.find('\0'))); }

[[noreturn]] inline void Fail(std::string_view what, std::string_view input) {
  std::fprintf(stderr, "\n%.*s\ninput: \"", static_cast<int>(what.size()), what.data());
  for (const char c : input) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7F && c != '"' && c != '\\') {
      std::fputc(c, stderr);
    } else {
      std::fprintf(stderr, "\\x%02X", static_cast<unsigned>(byte));
    }
  }
  std::fputs("\"\n", stderr);
  std::abort();
}

inline void Check(bool ok, std::string_view what, std::string_view input) {
  if (!ok) Fail(what, input);
}

inline bool Same(const AreaRecord& a, const AreaRecord& b) {
  return a.name == b.name && a.imported == b.imported && a.imported_bytes == b.imported_bytes &&
         a.exported == b.exported && a.dupes == b.dupes && a.flags == b.flags;
}

inline bool Same(const LinkRecord& a, const LinkRecord& b) {
  return a.name == b.name && a.bytes_received == b.bytes_received && a.bytes_sent == b.bytes_sent &&
         a.areafix_requests == b.areafix_requests && a.ignored == b.ignored;
}

// The same records in the same order.
template <typename Set>
bool SameSets(const Set& a, const Set& b) {
  if (a.count() != b.count()) return false;
  for (std::size_t i = 0; i < a.count(); ++i) {
    if (!Same(a[i], b[i])) return false;
  }
  return true;
}

}  // namespace kestrum::fuzzing
