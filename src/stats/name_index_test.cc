// Tests of the name index under both key forms: area names found without regard to the
// case of ASCII letters, link addresses by exact text, for names of every length the
// index reads in different pieces (bytes, two halves, words and an overlapping last
// word) and for bytes that the coarse hash of area names does not tell apart.
#include <gtest/gtest.h>

#include <cstddef>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "fuzz/random_text.h"
#include "stats/area_set.h"
#include "stats/link_set.h"
#include "unit_support.h"

namespace kestrum {
namespace {

using testing_support::Shown;

// ASCII letters folded to upper case, every other byte kept: the sameness of area names.
std::string Folded(std::string name) {
  for (char& c : name) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return name;
}

// Letters and the bytes that differ from them, or from each other, only in the 0x20 bit
// ('@' and '`', '[' and '{', '.' and 0x0E, '0' and 0x10, 0xA0 and 0x80), and Cyrillic.
constexpr std::string_view kNameAlphabet =
    "aAbBzZ@`[{.\x0E"
    "0\x10"
    "\x80\xA0\xE0\xFF-";

std::string RandomName(fuzzing::Random& random) {
  std::string name;
  const std::size_t length = random.Below(26);
  for (std::size_t i = 0; i < length; ++i) name.push_back(random.CharOf(kNameAlphabet));
  return name;
}

// The name with the case of its ASCII letters changed at random.
std::string OtherCase(fuzzing::Random& random, std::string name) {
  for (char& c : name) {
    if (((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) && random.OneIn(2)) c = static_cast<char>(c ^ 0x20);
  }
  return name;
}

TEST(NameIndexTest, AreaNamesAreOneWhateverTheCaseOfTheirLetters) {
  fuzzing::Random random(5020);
  AreaSet areas;
  std::map<std::string, std::size_t> first;  // folded name -> position of its area
  std::vector<std::string> names;
  for (int i = 0; i < 4000; ++i) {
    const std::string name =
        random.OneIn(3) && !names.empty() ? OtherCase(random, names[random.Below(names.size())]) : RandomName(random);
    areas.Accumulate(name, 1, 0, 0, 0);
    first.emplace(Folded(name), first.size());
    names.push_back(name);
  }
  ASSERT_EQ(areas.count(), first.size());
  for (const auto& [folded, position] : first) {
    EXPECT_EQ(Folded(areas[position].name), folded) << Shown(folded);
  }
  for (const std::string& name : names) {
    // Found by any spelling, each lookup noting its own as the last one, and by a lookup
    // that notes nothing.
    const AreaRecord* area = areas.Find(OtherCase(random, name));
    ASSERT_NE(area, nullptr) << Shown(name);
    EXPECT_EQ(area, &areas[first.at(Folded(name))]) << Shown(name);
    EXPECT_EQ(std::as_const(areas).Find(OtherCase(random, name)), area) << Shown(name);
    EXPECT_EQ(areas.Find(name), area) << Shown(name);
    // A byte other than a letter changed in its 0x20 bit makes another name, which the
    // coarse hash does not tell from this one: only the comparison does.
    for (std::size_t at = 0; at < name.size(); ++at) {
      const char c = name[at];
      if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) continue;
      std::string other = name;
      other[at] = static_cast<char>(c ^ 0x20);
      const auto known = first.find(Folded(other));
      const AreaRecord* found = areas.Find(other);
      if (known == first.end()) {
        EXPECT_EQ(found, nullptr) << Shown(other) << " found as " << Shown(found->name);
      } else {
        EXPECT_EQ(found, &areas[known->second]) << Shown(other);
      }
    }
  }
}

TEST(NameIndexTest, LinkAddressesAreFoundByTheirExactText) {
  fuzzing::Random random(2);
  LinkSet links;
  std::map<std::string, std::size_t> first;
  for (int i = 0; i < 3000; ++i) {
    std::string address;
    const std::size_t length = random.Below(30);
    for (std::size_t k = 0; k < length; ++k) address.push_back(random.CharOf("0123456789:/.aA\x80"));
    links.Accumulate(address, 1, 0, 0);
    first.emplace(address, first.size());
  }
  ASSERT_EQ(links.count(), first.size());
  for (const auto& [address, position] : first) {
    EXPECT_EQ(links.Find(address), &links[position]) << Shown(address);
    EXPECT_EQ(links[position].name, address);
    std::string longer = address + "0";
    EXPECT_EQ(links.Find(longer), first.count(longer) ? &links[first.at(longer)] : nullptr) << Shown(longer);
  }
  // Letters are not folded in addresses.
  LinkSet cased;
  cased.Accumulate("2:5020/1.a", 1, 0, 0);
  EXPECT_EQ(cased.Find("2:5020/1.A"), nullptr);
}

}  // namespace
}  // namespace kestrum
