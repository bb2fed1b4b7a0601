// CP866 texts written readably: UTF-8 literals in the source become CP866 bytes at
// compile time ("Живые эхи:"_cp866), and a run-time converter serves tests and tools.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace kestrum {

// Maps one Unicode code point to its CP866 byte; answers -1 for a code point that
// CP866 cannot show. Covers ASCII, the Cyrillic alphabet and the box-drawing and
// block characters that the reports use.
constexpr int Cp866FromCodePoint(char32_t cp) {
  if (cp < 0x80) return static_cast<int>(cp);
  if (cp >= 0x0410 && cp <= 0x043F) return static_cast<int>(0x80 + (cp - 0x0410));  // А..п
  if (cp >= 0x0440 && cp <= 0x044F) return static_cast<int>(0xE0 + (cp - 0x0440));  // р..я
  switch (cp) {
    case 0x0401: return 0xF0;  // Ё
    case 0x0451: return 0xF1;  // ё
    case 0x2591: return 0xB0;
    case 0x2592: return 0xB1;
    case 0x2593: return 0xB2;
    case 0x2502: return 0xB3;
    case 0x2524: return 0xB4;
    case 0x2561: return 0xB5;
    case 0x2562: return 0xB6;
    case 0x2556: return 0xB7;
    case 0x2555: return 0xB8;
    case 0x2563: return 0xB9;  // ╣
    case 0x2551: return 0xBA;  // ║
    case 0x2557: return 0xBB;  // ╗
    case 0x255D: return 0xBC;  // ╝
    case 0x255C: return 0xBD;
    case 0x255B: return 0xBE;
    case 0x2510: return 0xBF;
    case 0x2514: return 0xC0;
    case 0x2534: return 0xC1;
    case 0x252C: return 0xC2;
    case 0x251C: return 0xC3;
    case 0x2500: return 0xC4;
    case 0x253C: return 0xC5;
    case 0x255E: return 0xC6;
    case 0x255F: return 0xC7;
    case 0x255A: return 0xC8;  // ╚
    case 0x2554: return 0xC9;  // ╔
    case 0x2569: return 0xCA;  // ╩
    case 0x2566: return 0xCB;  // ╦
    case 0x2560: return 0xCC;  // ╠
    case 0x2550: return 0xCD;  // ═
    case 0x256C: return 0xCE;  // ╬
    case 0x2567: return 0xCF;
    case 0x2568: return 0xD0;
    case 0x2564: return 0xD1;
    case 0x2565: return 0xD2;
    case 0x2559: return 0xD3;
    case 0x2558: return 0xD4;
    case 0x2552: return 0xD5;
    case 0x2553: return 0xD6;
    case 0x256B: return 0xD7;
    case 0x256A: return 0xD8;
    case 0x2518: return 0xD9;
    case 0x250C: return 0xDA;
    case 0x2588: return 0xDB;
    case 0x2584: return 0xDC;  // ▄
    case 0x258C: return 0xDD;
    case 0x2590: return 0xDE;
    case 0x2580: return 0xDF;
    default: return -1;
  }
}

// Decodes the UTF-8 sequence at text[*pos], advances *pos past it and answers the code
// point, or 0xFFFFFFFF for a malformed sequence (one byte is then consumed).
constexpr char32_t DecodeUtf8(std::string_view text, std::size_t* pos) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(*pos);
  std::size_t extra = 0;
  char32_t cp = 0;
  if (lead < 0x80) {
    cp = lead;
  } else if ((lead & 0xE0) == 0xC0) {
    extra = 1;
    cp = lead & 0x1F;
  } else if ((lead & 0xF0) == 0xE0) {
    extra = 2;
    cp = lead & 0x0F;
  } else if ((lead & 0xF8) == 0xF0) {
    extra = 3;
    cp = lead & 0x07;
  } else {
    ++*pos;
    return 0xFFFFFFFF;
  }
  if (*pos + extra >= text.size()) {
    ++*pos;
    return 0xFFFFFFFF;
  }
  for (std::size_t i = 1; i <= extra; ++i) {
    const unsigned char next = byte(*pos + i);
    if ((next & 0xC0) != 0x80) {
      ++*pos;
      return 0xFFFFFFFF;
    }
    cp = (cp << 6) | (next & 0x3F);
  }
  *pos += extra + 1;
  return cp;
}

namespace cp866_detail {

template <std::size_t N>
struct Utf8Literal {
  char text[N]{};
  constexpr Utf8Literal(const char (&s)[N]) {  // NOLINT: implicit by design
    for (std::size_t i = 0; i < N; ++i) text[i] = s[i];
  }
  constexpr std::string_view view() const { return {text, N - 1}; }
};

// Number of CP866 bytes of a literal; a character that CP866 lacks stops the build.
constexpr std::size_t Cp866Length(std::string_view utf8) {
  std::size_t pos = 0;
  std::size_t count = 0;
  while (pos < utf8.size()) {
    if (Cp866FromCodePoint(DecodeUtf8(utf8, &pos)) < 0) throw "character has no CP866 byte";
    ++count;
  }
  return count;
}

template <Utf8Literal S>
struct Cp866Bytes {
  static constexpr std::size_t kSize = Cp866Length(S.view());
  static constexpr std::array<char, kSize + 1> kData = [] {
    std::array<char, kSize + 1> out{};
    std::size_t pos = 0;
    std::size_t i = 0;
    const std::string_view utf8 = S.view();
    while (pos < utf8.size()) {
      out[i++] = static_cast<char>(static_cast<unsigned char>(Cp866FromCodePoint(DecodeUtf8(utf8, &pos))));
    }
    out[i] = '\0';
    return out;
  }();
};

}  // namespace cp866_detail

inline namespace literals {

// "Отчётный период:"_cp866 is a string_view of the CP866 bytes, NUL-terminated in storage.
template <cp866_detail::Utf8Literal S>
constexpr std::string_view operator""_cp866() {
  return {cp866_detail::Cp866Bytes<S>::kData.data(), cp866_detail::Cp866Bytes<S>::kSize};
}

}  // namespace literals

// Run-time conversions, for tests and tools. Characters that the other side cannot
// show become '?'.
std::string Utf8ToCp866(std::string_view utf8);
std::string Cp866ToUtf8(std::string_view cp866);

}  // namespace kestrum
