// Tests of the matching primitives that read several bytes at a time: the byte classes
// of a word, and the scanner's numbers, words, runs and literals held against sscanf on
// texts that end at the very end of their heap block, so that the sanitizer build
// catches any read past a text.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>

#include "fuzz/random_text.h"
#include "stats/scan.h"
#include "unit_support.h"

namespace kestrum {
namespace {

using testing_support::Shown;

// A copy of a text in a block of exactly its size.
class ExactCopy {
 public:
  explicit ExactCopy(std::string_view text) : bytes_(new char[text.size()]), size_(text.size()) {
    if (size_ != 0) std::memcpy(bytes_.get(), text.data(), size_);
  }
  std::string_view view() const { return std::string_view(bytes_.get(), size_); }

 private:
  std::unique_ptr<char[]> bytes_;
  std::size_t size_;
};

// What sscanf makes of a text with a format ending in %n: the characters it took, or
// -1 when it failed before the end of the format.
template <typename... Targets>
int Taken(const std::string& text, const char* format, Targets*... targets) {
  int taken = -1;
  std::sscanf(text.c_str(), format, targets..., &taken);
  return taken;
}

bool IsAddressByte(char c) { return (c >= '0' && c <= '9') || c == ':' || c == '/' || c == '.'; }

// Random texts near the scanner's cases: digits, blanks, signs, address characters and
// some of everything else, from empty to longer than two words.
std::string ScanText(fuzzing::Random& random) {
  static constexpr std::string_view kAlphabets[] = {"0123456789", "0123456789 \t-+", "0123456789:/.x ",
                                                    "ABCDEFGH\x80\xFF. \n", fuzzing::kLogAlphabet};
  const std::string_view alphabet = kAlphabets[random.Below(std::size(kAlphabets))];
  std::string text;
  const std::size_t length = random.Below(random.OneIn(4) ? 40 : 14);
  for (std::size_t i = 0; i < length; ++i) text.push_back(random.CharOf(alphabet));
  if (random.OneIn(4)) text = fuzzing::NumberText(random) + text;
  return text;
}

// Scanner::Unsigned at the start of view, a copy of rest, against sscanf's %u.
void ExpectUnsignedAsSscanf(std::string_view view, const std::string& rest) {
  Scanner scan(view);
  std::uint32_t got = 0;
  unsigned want = 0;
  const int taken = Taken(rest, "%u%n", &want);
  ASSERT_EQ(scan.Unsigned(&got), taken >= 0) << Shown(rest);
  if (taken >= 0) {
    EXPECT_EQ(got, want) << Shown(rest);
    EXPECT_EQ(scan.pos(), static_cast<std::size_t>(taken)) << Shown(rest);
  }
}

TEST(ScannerTest, NumbersWordsAndRunsAsSscanfReadsThem) {
  fuzzing::Random random(866);
  for (int i = 0; i < fuzzing::Cases(40000); ++i) {
    const std::string text = ScanText(random);
    const ExactCopy copy(text);
    const std::size_t from = random.Below(text.size() + 1);
    const std::string rest = text.substr(from);

    // %u: one or two digits, a run of them, or the whole way round.
    ASSERT_NO_FATAL_FAILURE(ExpectUnsignedAsSscanf(copy.view().substr(from), rest));
    // %s and %8s: runs of non-white characters, eight at a time where the text allows.
    for (const std::size_t width : {std::size_t{0}, std::size_t{8}}) {
      Scanner scan(copy.view().substr(from));
      std::string_view got;
      char want[128] = {};
      const int taken = Taken(rest, width == 0 ? "%127s%n" : "%8s%n", want);
      ASSERT_EQ(scan.Word(width, &got), taken >= 0) << Shown(rest) << " width " << width;
      if (taken >= 0) {
        EXPECT_EQ(got, std::string_view(want)) << Shown(rest);
        EXPECT_EQ(scan.pos(), static_cast<std::size_t>(taken)) << Shown(rest);
      }
    }
    // %28[0-9:./] told a byte and a word at a time.
    {
      Scanner scan(copy.view().substr(from));
      std::string_view got;
      char want[64] = {};
      const int taken = Taken(rest, "%28[0-9:./]%n", want);
      const auto stops = [](std::uint64_t bytes) { return BytesInRange(bytes, '.', ':') ^ kHighBits; };
      ASSERT_EQ(scan.Set(IsAddressByte, stops, 28, &got), taken >= 0) << Shown(rest);
      if (taken >= 0) {
        EXPECT_EQ(got, std::string_view(want)) << Shown(rest);
        EXPECT_EQ(scan.pos(), static_cast<std::size_t>(taken)) << Shown(rest);
      }
    }
  }
}

TEST(ScannerTest, NumbersAtTheEndOfTheText) {
  // Digits up to the text's last byte, in texts shorter and longer than a word, and
  // numbers too long for the short ways.
  for (const std::string text :
       {"7", "42", "123", "1234567", "12345678", "x 1234567", "abcdefgh12", "abcdefgh123", "99999999999999999999",
        "18446744073709551616", "0000000000000000000001", "- 12", "+7x"}) {
    for (std::size_t from = 0; from < text.size(); ++from) {
      const ExactCopy copy(text);
      ASSERT_NO_FATAL_FAILURE(ExpectUnsignedAsSscanf(copy.view().substr(from), text.substr(from)));
    }
  }
}

TEST(ScannerTest, LiteralsMatchAsSscanfFormats) {
  // The forms' literals, matched in one piece where the text holds them as they stand and
  // by the white-space rule otherwise; those given as string_views agree.
  fuzzing::Random random(2);
  static const char* const kPieces[] = {"toss - ", " (", ", sent - ", "dupes - ", " - ", "[Inbound] ", "x", " "};
  for (int i = 0; i < fuzzing::Cases(20000); ++i) {
    std::string text = kPieces[random.Below(std::size(kPieces))];
    if (random.OneIn(2)) fuzzing::MutateOnce(random, text, " \t\n-(toss");
    if (random.OneIn(2)) text += ScanText(random);
    const ExactCopy copy(text);
    const auto check = [&](const auto& format) {
      Scanner scan(copy.view());
      Scanner scan_view(copy.view());
      const int taken = Taken(text, (std::string(format) + "%n").c_str());
      ASSERT_EQ(scan.Literal(format), taken >= 0) << Shown(text) << " for " << Shown(format);
      ASSERT_EQ(scan_view.Literal(std::string_view(format)), taken >= 0) << Shown(text);
      if (taken >= 0) {
        EXPECT_EQ(scan.pos(), static_cast<std::size_t>(taken)) << Shown(text) << " for " << Shown(format);
        EXPECT_EQ(scan_view.pos(), scan.pos());
      }
    };
    check("toss - ");
    check(" (");
    check(" bytes) from ");
    check("[Inbound] ");
  }
}

TEST(ScannerTest, ExactTakesTheCharactersAsTheyStand) {
  const ExactCopy copy(", sent - 5");
  Scanner scan(copy.view());
  EXPECT_FALSE(scan.Exact(",  sent"));
  EXPECT_FALSE(scan.Exact(", sent - 5x"));
  EXPECT_EQ(scan.pos(), 0u);
  EXPECT_TRUE(scan.Exact(", sent - "));
  EXPECT_EQ(scan.pos(), 9u);
  EXPECT_TRUE(scan.Exact("5"));
  EXPECT_TRUE(scan.at_end());
}

}  // namespace
}  // namespace kestrum
