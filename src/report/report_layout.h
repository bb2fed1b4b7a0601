// A report described as data: its header, columns, which records it lists, in which
// order, how each row and the total row read and what the bars show. One procedure,
// LayOutReport, lays out any such report over the records of one family (areas, links,
// days or hours) into the cells that a text report and the page both draw, so that
// adding a report means adding one layout.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/format.h"
#include "report/laid_out_table.h"

namespace kestrum {

// Up to N items given as a braced list, for constant tables.
template <typename T, std::size_t N>
struct Few {
  constexpr Few(std::initializer_list<T> list) : size(std::min(list.size(), N)) {  // NOLINT: a list reads best
    std::copy_n(list.begin(), size, items.begin());
  }
  constexpr const T* begin() const { return items.data(); }
  constexpr const T* end() const { return items.data() + size; }

  std::array<T, N> items{};
  std::size_t size = 0;
};

// One figure of a record: a message counter (added up modulo 2^32) or a byte total.
template <typename Record>
struct Figure {
  std::uint32_t Record::*counter = nullptr;
  double Record::*bytes = nullptr;

  double Of(const Record& record) const {
    return counter != nullptr ? static_cast<double>(record.*counter) : record.*bytes;
  }
};

// A figure's value for one record or added up over a report's records, printed as the
// counter or byte total it is.
struct Amount {
  bool is_counter = false;
  std::uint32_t counter = 0;
  double bytes = 0.0;

  double AsDouble() const { return is_counter ? static_cast<double>(counter) : bytes; }
  FormatArg AsArg() const { return is_counter ? FormatArg(counter) : FormatArg(bytes); }
};

// What one argument of a row or total format stands for. In a row a figure is the
// record's, in the total row it is the sum over the report's records.
template <typename Record>
struct Shown {
  enum Kind {
    kFlag,         // rows: the record's flag letter
    kName,         // rows: the record's name
    kValue,        // the figure as it is
    kKb,           // the figure in kilobytes
    kShare,        // rows: the record's percentage of the figure's sum
    kRows,         // total: the number of rows
    kPercentSign,  // total: the character %
  };
  Kind kind = kName;
  Figure<Record> figure{};
};

// Which records a report lists, of those its family shows.
enum class Selection {
  kLive,        // those with any traffic
  kDead,        // those without
  kKeyNonZero,  // those whose key figure is not zero
  kAll,         // every one, in the family's order
};

// A row's format and what its arguments stand for.
template <typename Record>
struct RowFormat {
  std::string_view format{};
  Few<Shown<Record>, 6> args{};
};

// A report, one line of a constant table. The order is most of the key figure first,
// then by name (by name alone without a key), or the family's own for kAll; a report
// with a key has bars of it.
template <typename Record>
struct ReportLayout {
  char letter = 0;
  Selection selection = Selection::kLive;
  Figure<Record> key{};
  std::string_view header{};  // cells, each ended by a newline, shown as they stand; a bare list's title
  Few<std::uint32_t, 6> columns{};
  RowFormat<Record> row{};
  RowFormat<Record> total{};
  bool bare_list = false;  // names alone, one a line after an empty line, no table
};

// The arguments of rows and totals, the figure's record type deduced.
template <typename Record>
constexpr Shown<Record> Value(Figure<Record> figure) {
  return {Shown<Record>::kValue, figure};
}
template <typename Record>
constexpr Shown<Record> InKb(Figure<Record> figure) {
  return {Shown<Record>::kKb, figure};
}
template <typename Record>
constexpr Shown<Record> Share(Figure<Record> figure) {
  return {Shown<Record>::kShare, figure};
}

// Sorts records, given in set order, as inserting each one ahead of the first that is
// not strictly before it would: a stable sort of the reversed sequence, in O(n log n),
// so later records precede earlier ones the order cannot tell apart.
template <typename Record, typename Before>
void SortAsInserted(std::vector<const Record*>& records, Before before) {
  std::reverse(records.begin(), records.end());
  std::stable_sort(records.begin(), records.end(), before);
}

// Bytes shown as kilobytes: times 1/1024.
inline double Kb(double bytes) { return bytes * (1.0 / 1024); }

// The layout of the letter among the family's layouts; nullptr if none.
template <typename Record, std::size_t N>
const ReportLayout<Record>* FindLayout(const ReportLayout<Record> (&layouts)[N], char letter) {
  const auto found =
      std::find_if(layouts, layouts + N, [letter](const auto& layout) { return layout.letter == letter; });
  return found == layouts + N ? nullptr : found;
}

namespace layout_detail {

template <typename Record>
Amount AmountOf(const Figure<Record>& figure, const Record& record) {
  Amount amount;
  amount.is_counter = figure.counter != nullptr;
  if (amount.is_counter) {
    amount.counter = record.*figure.counter;
  } else {
    amount.bytes = record.*figure.bytes;
  }
  return amount;
}

// The sum over the records, taken in set order: counters wrap, byte totals add as doubles.
template <typename Record>
Amount SumOf(const Figure<Record>& figure, const std::vector<const Record*>& records) {
  Amount total;
  total.is_counter = figure.counter != nullptr;
  for (const Record* record : records) {
    const Amount one = AmountOf(figure, *record);
    total.counter += one.counter;
    total.bytes += one.bytes;
  }
  return total;
}

// The records of the family that the report lists, in set order.
template <typename Family>
std::vector<const typename Family::Record*> Select(const ReportLayout<typename Family::Record>& layout,
                                                   const Family& family) {
  std::vector<const typename Family::Record*> records;
  for (const auto& record : family.records()) {
    if (!family.Shows(record)) continue;
    bool chosen = false;
    switch (layout.selection) {
      case Selection::kLive: chosen = Family::IsLive(record); break;
      case Selection::kDead: chosen = !Family::IsLive(record); break;
      case Selection::kKeyNonZero: chosen = layout.key.Of(record) != 0.0; break;
      case Selection::kAll: chosen = true; break;
    }
    if (chosen) records.push_back(&record);
  }
  return records;
}

// The arguments of the total row.
template <typename Record>
std::vector<FormatArg> TotalArgs(const ReportLayout<Record>& layout, const std::vector<const Record*>& records) {
  std::vector<FormatArg> args;
  for (const Shown<Record>& shown : layout.total.args) {
    switch (shown.kind) {
      case Shown<Record>::kValue: args.push_back(SumOf(shown.figure, records).AsArg()); break;
      case Shown<Record>::kKb: args.emplace_back(Kb(SumOf(shown.figure, records).AsDouble())); break;
      case Shown<Record>::kRows: args.emplace_back(records.size()); break;
      case Shown<Record>::kPercentSign: args.emplace_back('%'); break;
      default: args.emplace_back(std::string_view()); break;
    }
  }
  return args;
}

// A figure's percentage of its sum; a row without the figure has 0 of it, even when
// every row is without it.
inline double ShareOf(double value, double sum) { return value == 0.0 ? 0.0 : value * 100.0 / sum; }

// The arguments of one record's row; sums[i] is the sum behind a share at argument i.
template <typename Family>
void RowArgs(const ReportLayout<typename Family::Record>& layout, const typename Family::Record& record,
             const std::array<double, 6>& sums, std::vector<FormatArg>* args) {
  using Record = typename Family::Record;
  args->clear();
  for (std::size_t i = 0; i < layout.row.args.size; ++i) {
    const Shown<Record>& shown = layout.row.args.items[i];
    switch (shown.kind) {
      case Shown<Record>::kFlag: args->emplace_back(Family::Flag(record)); break;
      case Shown<Record>::kName: args->emplace_back(record.name); break;
      case Shown<Record>::kValue: args->push_back(AmountOf(shown.figure, record).AsArg()); break;
      case Shown<Record>::kKb: args->emplace_back(Kb(shown.figure.Of(record))); break;
      case Shown<Record>::kShare: args->emplace_back(ShareOf(shown.figure.Of(record), sums[i])); break;
      default: args->emplace_back(std::string_view()); break;
    }
  }
}

}  // namespace layout_detail

// Lays out one report. The family gives the records in set order (records()) and says of
// each whether it is shown at all (Shows), whether it has traffic (IsLive), its flag
// letter (Flag) and whether its name stays in front of another's (NameBefore).
template <typename Family>
LaidOutTable LayOutReport(const ReportLayout<typename Family::Record>& layout, const Family& family) {
  using Record = typename Family::Record;
  std::vector<const Record*> records = layout_detail::Select(layout, family);
  // Sums are taken before the records are ordered, in set order.
  std::array<double, 6> sums{};
  for (std::size_t i = 0; i < layout.row.args.size; ++i) {
    const Shown<Record>& shown = layout.row.args.items[i];
    if (shown.kind == Shown<Record>::kShare) sums[i] = layout_detail::SumOf(shown.figure, records).AsDouble();
  }
  const std::vector<FormatArg> total_args = layout_detail::TotalArgs(layout, records);

  const bool by_key = layout.selection == Selection::kKeyNonZero;
  if (layout.selection != Selection::kAll) {
    SortAsInserted(records, [&](const Record* a, const Record* b) {
      if (by_key && layout.key.Of(*a) != layout.key.Of(*b)) return layout.key.Of(*a) > layout.key.Of(*b);
      return Family::NameBefore(*a, *b);
    });
  }

  if (layout.bare_list) {
    LaidOutTable list = LaidOutTable::BareList(layout.header);
    for (const Record* record : records) list.AddRow(record->name, kNoBar);
    return list;
  }

  LaidOutTable table(layout.columns.begin(), layout.columns.end());
  const bool bars = layout.key.counter != nullptr || layout.key.bytes != nullptr;
  const double edge_bar = bars ? kNoBar : 0.0;
  table.AddRow(layout.header, edge_bar);
  std::vector<FormatArg> args;
  std::string text;
  for (const Record* record : records) {
    layout_detail::RowArgs<Family>(layout, *record, sums, &args);
    text.clear();
    AppendFormat(text, layout.row.format, args);
    table.AddRow(text, bars ? layout.key.Of(*record) : 0.0);
  }
  text.clear();
  AppendFormat(text, layout.total.format, total_args);
  table.AddRow(text, edge_bar);
  return table;
}

}  // namespace kestrum
