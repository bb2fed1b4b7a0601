#include "platform/cp866.h"

namespace kestrum {

std::string Utf8ToCp866(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  std::size_t pos = 0;
  while (pos < utf8.size()) {
    const int byte = Cp866FromCodePoint(DecodeUtf8(utf8, &pos));
    out.push_back(byte < 0 ? '?' : static_cast<char>(static_cast<unsigned char>(byte)));
  }
  return out;
}

namespace {

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

// The inverse of Cp866FromCodePoint for the upper half, built once.
const std::array<char32_t, 128>& UpperHalf() {
  static const std::array<char32_t, 128> table = [] {
    std::array<char32_t, 128> t{};
    t.fill(U'?');
    const char32_t candidates[] = {0x0401, 0x0451, 0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556,
                                   0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510, 0x2514, 0x2534,
                                   0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F, 0x255A, 0x2554, 0x2569, 0x2566,
                                   0x2560, 0x2550, 0x256C, 0x2567, 0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552,
                                   0x2553, 0x256B, 0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580};
    for (char32_t cp = 0x0410; cp <= 0x044F; ++cp) t[Cp866FromCodePoint(cp) - 0x80] = cp;
    for (char32_t cp : candidates) t[Cp866FromCodePoint(cp) - 0x80] = cp;
    return t;
  }();
  return table;
}

}  // namespace

std::string Cp866ToUtf8(std::string_view cp866) {
  std::string out;
  out.reserve(cp866.size() * 2);
  for (char c : cp866) {
    const auto byte = static_cast<unsigned char>(c);
    AppendUtf8(out, byte < 0x80 ? char32_t{byte} : UpperHalf()[byte - 0x80]);
  }
  return out;
}

}  // namespace kestrum
