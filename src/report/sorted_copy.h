// The order in which a report lists the records it selected: each record taken in set
// order and put before the first entry that is not strictly before it. Later records
// therefore precede earlier ones that the order cannot tell apart.
#pragma once

#include <algorithm>
#include <vector>

namespace kestrum {

// Sorts records, given in set order, into that order in O(n log n): inserting each one
// ahead of its equals is a stable sort of the reversed sequence. before(a, b) is the
// report's test "a stays in front of b".
template <typename Record, typename Before>
void SortAsInserted(std::vector<const Record*>& records, Before before) {
  std::reverse(records.begin(), records.end());
  std::stable_sort(records.begin(), records.end(), before);
}

}  // namespace kestrum
