// What every report does alike: the order in which it lists the records it selected
// (each record taken in set order and put before the first entry that is not strictly
// before it, so later records precede earlier ones the order cannot tell apart), and
// its kilobytes and percentages.
#pragma once

#include <algorithm>
#include <vector>

namespace kestrum {

// Bytes shown as kilobytes: times 1/1024.
inline double Kb(double bytes) { return bytes * (1.0 / 1024); }

// A row's share of the report's sum, in percent.
inline double Percent(double key, double sum) { return key * 100.0 / sum; }

// Sorts records, given in set order, into that order in O(n log n): inserting each one
// ahead of its equals is a stable sort of the reversed sequence. before(a, b) is the
// report's test "a stays in front of b".
template <typename Record, typename Before>
void SortAsInserted(std::vector<const Record*>& records, Before before) {
  std::reverse(records.begin(), records.end());
  std::stable_sort(records.begin(), records.end(), before);
}

}  // namespace kestrum
