// Tests of the byte searches: each quick search against its plain twin on random texts
// rich in the bytes it looks for, at every start and length, in buffers of exactly the
// text's size so that a read past the end is caught by the sanitizers.
#include "platform/byte_search.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <string_view>

namespace kestrum {
namespace {

// A text of the given length drawn mostly from the alphabet.
std::string RandomText(std::mt19937& random, std::size_t length, std::string_view alphabet) {
  std::string text(length, '\0');
  for (char& c : text) {
    c = random() % 8 == 0 ? static_cast<char>(random() % 256) : alphabet[random() % alphabet.size()];
  }
  return text;
}

// A copy of a text in a heap block of exactly its size.
class ExactCopy {
 public:
  explicit ExactCopy(std::string_view text)
      : data_(std::make_unique<char[]>(text.empty() ? 1 : text.size())), size_(text.size()) {
    std::copy(text.begin(), text.end(), data_.get());
  }
  std::string_view view() const { return {data_.get(), size_}; }

 private:
  std::unique_ptr<char[]> data_;
  std::size_t size_;
};

TEST(ByteSearchTest, LineBreaksAgreeWithThePlainSearch) {
  std::mt19937 random(1);
  for (int round = 0; round < 300; ++round) {
    const std::string text = RandomText(random, 64 + random() % 200,
                                        std::string_view("ab \t\x0B\x0D\x0E\n\r\0\x1A"
                                                         "xyzxyzxyz",
                                                         20));
    const ExactCopy copy(text);
    const char* data = copy.view().data();
    for (std::size_t at = 0; at + 64 <= text.size(); ++at) {
      ASSERT_EQ(BreakMask64(data + at), plain::BreakMask64(data + at)) << round << " at " << at;
    }
    for (std::size_t from = 0; from <= text.size(); from += 1 + random() % 5) {
      for (std::size_t end = from; end <= text.size(); end += 1 + random() % 9) {
        ASSERT_EQ(FindLineBreak(data + from, data + end), plain::FindLineBreak(data + from, data + end))
            << round << " in [" << from << ", " << end << ")";
      }
    }
  }
}

TEST(ByteSearchTest, TagEndsAndTailKeysAgreeWithThePlainSearch) {
  std::mt19937 random(2);
  for (int round = 0; round < 2000; ++round) {
    const std::string text = RandomText(random, random() % 90, "SU.GENERAL:  dupessentdsue");
    const ExactCopy copy(text);
    const std::string_view view = copy.view();
    ASSERT_EQ(FindTagEnd(view), plain::FindTagEnd(view)) << text;
    for (std::size_t from = 0; from <= text.size() + 1; ++from) {
      ASSERT_EQ(FindTailKeys(view, from), plain::FindTailKeys(view, from)) << text << " from " << from;
    }
  }
  // Keys at the very end, in the last block moved back, and one byte short of a key.
  const std::string tail = std::string(40, 'x') + "du";
  EXPECT_EQ(FindTailKeys(tail, 0).dupes, 40U);
  EXPECT_EQ(FindTailKeys(tail, 41).dupes, std::string_view::npos);
  EXPECT_EQ(FindTailKeys(std::string(40, 'x') + "s", 0).sent, std::string_view::npos);
  EXPECT_EQ(FindTagEnd(std::string(100, 'A')), 100U);
  EXPECT_EQ(FindTagEnd(""), 0U);
}

TEST(ByteSearchTest, BytesInRangeMarksEachByteOnItsOwn) {
  // Every byte value at every place of a word, among neighbours that are in the range or
  // just outside it, which is where a carry or borrow between bytes would show.
  constexpr unsigned kRanges[][2] = {{'0', '9'}, {'.', ':'}, {'\t', '\r'}, {' ', ' '}, {'a', 'z'}, {0, 0x7F}};
  for (const auto& range : kRanges) {
    for (unsigned value = 0; value < 256; ++value) {
      for (unsigned place = 0; place < 8; ++place) {
        for (const unsigned neighbour : {range[0], range[1], range[0] - 1, range[1] + 1, 0x80U, 0xFFU}) {
          std::uint64_t word = 0;
          for (unsigned i = 0; i < 8; ++i) word |= std::uint64_t{(i == place ? value : neighbour) & 0xFF} << (8 * i);
          ASSERT_EQ(BytesInRange(word, range[0], range[1]), plain::BytesInRange(word, range[0], range[1]))
              << "range " << range[0] << ".." << range[1] << ", value " << value << " at " << place;
        }
      }
    }
  }
  std::mt19937_64 random(3);
  for (int round = 0; round < 10000; ++round) {
    const std::uint64_t word = random();
    ASSERT_EQ(SpaceBytes(word), plain::BytesInRange(word, '\t', '\r') | plain::BytesInRange(word, ' ', ' '));
  }
}

}  // namespace
}  // namespace kestrum
