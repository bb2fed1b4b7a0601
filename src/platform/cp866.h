// CP866 texts written readably: UTF-8 literals in the source become CP866 bytes at
// compile time ("Живые эхи:"_cp866), and a run-time converter serves tests and tools.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace kestrum {

// The code points of the CP866 bytes 0x80 to 0xFF: the Cyrillic alphabet, the box-drawing
// and block characters, and the few signs of the last row. The bytes below 0x80 are ASCII.
inline constexpr std::array<char16_t, 128> kCp866UpperHalf = {
    // 0x80-0xAF: А..Я, а..п
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417, 0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D,
    0x041E, 0x041F, 0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427, 0x0428, 0x0429, 0x042A, 0x042B,
    0x042C, 0x042D, 0x042E, 0x042F, 0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437, 0x0438, 0x0439,
    0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,
    // 0xB0-0xDF: shades, box drawing (╣ 0xB9, ║ 0xBA, ╗ 0xBB, ╝ 0xBC, ╚ 0xC8, ╔ 0xC9, ╩ 0xCA,
    // ╦ 0xCB, ╠ 0xCC, ═ 0xCD, ╬ 0xCE) and blocks (▄ 0xDC)
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556, 0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C,
    0x255B, 0x2510, 0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F, 0x255A, 0x2554, 0x2569, 0x2566,
    0x2560, 0x2550, 0x256C, 0x2567, 0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B, 0x256A, 0x2518,
    0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,
    // 0xE0-0xEF: р..я
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447, 0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D,
    0x044E, 0x044F,
    // 0xF0-0xFF: Ё ё Є є Ї ї Ў ў ° ∙ · √ № ¤ ■ and the no-break space
    0x0401, 0x0451, 0x0404, 0x0454, 0x0407, 0x0457, 0x040E, 0x045E, 0x00B0, 0x2219, 0x00B7, 0x221A, 0x2116, 0x00A4,
    0x25A0, 0x00A0};

// The code point of one CP866 byte.
constexpr char32_t Cp866CodePoint(unsigned char byte) {
  return byte < 0x80 ? char32_t{byte} : char32_t{kCp866UpperHalf[byte - 0x80]};
}

// Maps one Unicode code point to its CP866 byte; answers -1 for a code point that
// CP866 cannot show.
constexpr int Cp866FromCodePoint(char32_t cp) {
  if (cp < 0x80) return static_cast<int>(cp);
  if (cp >= 0x0410 && cp <= 0x043F) return static_cast<int>(0x80 + (cp - 0x0410));  // А..п
  if (cp >= 0x0440 && cp <= 0x044F) return static_cast<int>(0xE0 + (cp - 0x0440));  // р..я
  for (std::size_t i = 0; i < kCp866UpperHalf.size(); ++i) {
    if (kCp866UpperHalf[i] == cp) return static_cast<int>(0x80 + i);
  }
  return -1;
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

// Appends the UTF-8 sequence of a code point below 0x10000 to anything that takes
// push_back(char): a string, or a fixed piece built at compile time.
template <typename Out>
constexpr void AppendUtf8(Out& out, char32_t cp) {
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

// Run-time conversions, for tests and tools. Characters that CP866 cannot show become '?'.
std::string Utf8ToCp866(std::string_view utf8);
std::string Cp866ToUtf8(std::string_view cp866);

}  // namespace kestrum
