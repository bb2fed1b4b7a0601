// Seeded random texts for the differential tests: log lines and configuration files
// built from templates of every form the parsers know, then mutated by changing,
// inserting and deleting characters, cutting the text short and swapping numbers for
// huge, signed, octal- or hex-looking ones. The same seed always gives the same texts.
// No text holds a NUL or a CR except where a generator says so: the log reader drops
// CRs and the driver cuts a line at its first NUL.
#pragma once

#include <cstddef>
#include <cstdint>
#include <random>
#include <string>
#include <string_view>

namespace kestrum::fuzzing {

// How many random cases a differential test runs: all of them in an optimised build, a
// quarter in an unoptimised one (the sanitizer build), where each costs ten times more.
inline constexpr int Cases(int in_optimised_build) {
#ifdef NDEBUG
  return in_optimised_build;
#else
  return in_optimised_build / 4;
#endif
}

class Random {
 public:
  explicit Random(std::uint64_t seed) : engine_(seed) {}

  // 0 .. n-1 (n > 0); the slight bias of the remainder is of no matter here.
  std::size_t Below(std::size_t n) { return static_cast<std::size_t>(engine_() % n); }
  bool OneIn(std::size_t n) { return Below(n) == 0; }
  template <typename T, std::size_t N>
  const T& Pick(const T (&items)[N]) {
    return items[Below(N)];
  }
  char CharOf(std::string_view alphabet) { return alphabet[Below(alphabet.size())]; }

 private:
  std::mt19937_64 engine_;
};

// Characters that mutations bring into log texts: everything the forms are made of,
// white space of every kind, signs, hex letters and CP866 bytes.
inline constexpr std::string_view kLogAlphabet =
    "0123456789 \t\v\f\n-+:./,()[]xXabcdefABCDEFpktPKTsuenprot;_*\x80\xA0\xAE\xFF";

// Numbers as texts: limits of 32 and 64 bits on both sides, leading zeros, signs,
// octal- and hex-looking forms.
inline std::string NumberText(Random& random) {
  static const char* const kNumbers[] = {
      // Small ones, with leading zeros, octal- and hex-looking.
      "0", "1", "7", "12", "59", "60", "99", "255", "34567", "007", "00", "08", "017", "0x1F", "0X7", "0x", "0xg",
      // Around 2^31 and 2^32.
      "2147483647", "2147483648", "-2147483648", "-2147483649", "4294967295", "4294967296", "4294967297", "-4294967295",
      "-4294967296",
      // Around 2^63 and 2^64, and far past them.
      "9223372036854775807", "9223372036854775808", "-9223372036854775808", "-9223372036854775809",
      "18446744073709551615", "18446744073709551616", "-18446744073709551615", "-18446744073709551616",
      "99999999999999999999999999", "0xffffffffffffffff", "0x10000000000000000", "0x7fffffffffffffff",
      "01777777777777777777777", "02000000000000000000000",
      // Signs, alone, doubled or apart from the digits.
      "-1", "-0", "+5", "+0", "- 5", "--1", "+-1", "1e3"};
  if (!random.OneIn(3)) return random.Pick(kNumbers);
  std::string digits;
  const std::size_t length = 1 + random.Below(random.OneIn(4) ? 24 : 6);
  for (std::size_t i = 0; i < length; ++i) digits.push_back(static_cast<char>('0' + random.Below(10)));
  return digits;
}

// One of the ways white space may stand where a form has a blank.
inline std::string_view Blanks(Random& random) {
  static const std::string_view kBlanks[] = {" ", " ", " ", " ", "", "  ", "\t", " \t ", "\v", "\f", "\n"};
  return random.Pick(kBlanks);
}

// ---- Area lines ------------------------------------------------------------------------

inline std::string AreaTag(Random& random) {
  static const char* const kTags[] = {
      // Declared and undeclared names, the summary tag, and tags that hold "du" or "se".
      "SU.GENERAL", "su.general", "Ru.Fido-News", "RU.OS2.TALK", "total", "TOTAL", "Total", "A", "su.dupes", "ru.sex",
      "N5020.SYSOP", "TAG-0", "12345",
      // Cyrillic letters.
      "\x80\xA0\xE0.\xE2\xA5\xE1\xE2"};
  if (random.Below(10) < 6) return random.Pick(kTags);
  std::string tag;
  std::size_t length = 1 + random.Below(30);
  if (random.OneIn(8)) length = 196 + random.Below(8);  // around the 199-character limit
  static constexpr std::string_view kTagAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789.-_";
  for (std::size_t i = 0; i < length; ++i) tag.push_back(random.CharOf(kTagAlphabet));
  return tag;
}

// "TAG: toss - N (B bytes)[, dupes - D][, sent - S]", "TAG: sent - S", "TAG: dupes - D".
inline std::string AreaText(Random& random) {
  std::string text = AreaTag(random);
  const std::size_t form = random.Below(4);
  if (form <= 1) {
    text += ": toss - " + NumberText(random) + " (" + NumberText(random) + " bytes)";
    const std::string dupes = ", dupes - " + NumberText(random);
    const std::string sent = ", sent - " + NumberText(random);
    switch (random.Below(8)) {
      case 0: break;
      case 1: text += dupes; break;
      case 2: text += sent; break;
      case 3: text += dupes + sent; break;
      case 4: text += sent + dupes; break;
      case 5: text += random.OneIn(2) ? ", du" : ", se"; break;
      case 6: text += random.OneIn(2) ? ", dupes -" : ", sent -"; break;
      default: text += ", dupes - " + std::string(Blanks(random)) + NumberText(random); break;
    }
  } else if (form == 2) {
    text += ": sent - " + NumberText(random);
  } else {
    text += ": dupes - " + NumberText(random);
  }
  if (!random.OneIn(8)) text.push_back('\n');
  return text;
}

// ---- Link lines and addresses ------------------------------------------------------------

inline std::string AddressPart(Random& random) {
  // Usual parts, then octal- and hex-looking ones, signs and blanks, and big ones.
  static const char* const kParts[] = {"1",   "2",    "3",     "0",          "5020",       "1042",
                                       "15",  "9",    "10",    "09",         "010",        "00",
                                       "007", "0x1F", "0X1a",  "0x",         "0xg",        "-1",
                                       "+2",  " 4",   "65535", "2147483648", "4294967296", "99999999999999999999"};
  if (random.Below(3) != 0) return random.Pick(kParts);
  return NumberText(random);
}

// zone:net/node.point with parts of every kind, sometimes short of parts or too long.
inline std::string Address(Random& random) {
  std::string address = AddressPart(random);
  const std::size_t parts = random.OneIn(5) ? 1 + random.Below(4) : 4;
  static const char kSeparators[] = {':', '/', '.'};
  for (std::size_t i = 1; i < parts; ++i) {
    address.push_back(random.OneIn(20) ? random.Pick(kSeparators) : kSeparators[i - 1]);
    address += AddressPart(random);
  }
  if (random.OneIn(8)) {
    // Around the 27-character limit of a log address.
    const std::size_t length = 25 + random.Below(5);
    while (address.size() < length) address.push_back(static_cast<char>('0' + random.Below(10)));
  }
  return address;
}

// "[Inbound] NAME.PKT (N bytes) from ADDR", "Sent to ADDR - N", "Real message from ADDR".
inline std::string LinkText(Random& random) {
  static const char* const kTrailers[] = {"", "", "", ",x", " ", "@fidonet", "\t1", "x"};
  std::string text;
  switch (random.Below(3)) {
    case 0: {
      static const char* const kExtensions[] = {"PKT", "pkt", "Pkt", "pKT", "PKt", "MSG", "PK", "PKTX", "PK1"};
      static constexpr std::string_view kNameAlphabet = "0123456789abcdefABCDEF";
      std::string name;
      const std::size_t length = random.OneIn(4) ? 1 + random.Below(10) : 8;
      for (std::size_t i = 0; i < length; ++i) name.push_back(random.CharOf(kNameAlphabet));
      text = "[Inbound] " + name + "." + random.Pick(kExtensions) + " (" + NumberText(random) + " bytes) from " +
             Address(random);
      break;
    }
    case 1: text = "Sent to " + Address(random) + " - " + NumberText(random); break;
    default: text = "Real message from " + Address(random); break;
  }
  text += random.Pick(kTrailers);
  if (!random.OneIn(8)) text.push_back('\n');
  return text;
}

// ---- Mutations ---------------------------------------------------------------------------

// One random change: a character changed, inserted or deleted, a run of blanks inserted,
// a piece repeated, a number swapped for another, the text cut short or the case of a
// letter flipped.
inline void MutateOnce(Random& random, std::string& text, std::string_view alphabet) {
  const std::size_t at = random.Below(text.size() + 1);
  switch (random.Below(9)) {
    case 0:
      if (at < text.size()) text[at] = random.CharOf(alphabet);
      break;
    case 1: text.insert(text.begin() + static_cast<std::ptrdiff_t>(at), random.CharOf(alphabet)); break;
    case 2:
      if (at < text.size()) text.erase(at, 1 + random.Below(3));
      break;
    case 3: text.insert(at, Blanks(random)); break;
    case 4:
      if (at < text.size()) {
        const std::size_t length = 1 + random.Below(text.size() - at);
        text.insert(random.Below(text.size() + 1), text.substr(at, length));
      }
      break;
    case 5:
    case 6: {
      // The number run around a digit, or a fresh number where none stood.
      std::size_t start = at;
      while (start < text.size() && !(text[start] >= '0' && text[start] <= '9')) ++start;
      if (start == text.size()) {
        text.insert(at, NumberText(random));
        break;
      }
      std::size_t end = start;
      while (end < text.size() && text[end] >= '0' && text[end] <= '9') ++end;
      text.replace(start, end - start, NumberText(random));
      break;
    }
    case 7: text.resize(at); break;
    default:
      if (at < text.size()) {
        char& c = text[at];
        if (c >= 'a' && c <= 'z')
          c = static_cast<char>(c - 'a' + 'A');
        else if (c >= 'A' && c <= 'Z')
          c = static_cast<char>(c - 'A' + 'a');
      }
      break;
  }
}

// The text itself about a third of the time, else one to four changes of it.
inline std::string Mutated(Random& random, std::string text, std::string_view alphabet = kLogAlphabet) {
  if (random.Below(3) == 0) return text;
  const std::size_t changes = 1 + random.Below(4);
  for (std::size_t i = 0; i < changes; ++i) MutateOnce(random, text, alphabet);
  return text;
}

}  // namespace kestrum::fuzzing
