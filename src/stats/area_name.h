// Area tags: the capitalisation given to every new area name, and the comparison under
// which names are unique and sorted (ASCII letters without case, other bytes as they are).
#pragma once

#include <string>
#include <string_view>

namespace kestrum {

// The first ASCII letter of every run of letters upper-case, the rest lower-case; every
// other byte, Cyrillic included, is kept and starts a new run: "SU.GENERAL" -> "Su.General".
void CapitalizeAreaName(std::string& name);

// Byte-wise comparison after folding a-z to A-Z, bytes taken as unsigned, a prefix first.
// Negative, zero or positive.
int CompareAreaNames(std::string_view a, std::string_view b);

}  // namespace kestrum
