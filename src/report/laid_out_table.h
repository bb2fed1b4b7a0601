// A report laid out and not yet drawn: its columns, the heading row, the rows of its
// records in their order with their bar values, and the total row; or a bare list of
// names under a title. The box table draws it into a text report, the HTML table into
// the page, so both show the same cells.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace kestrum {

inline constexpr std::uint32_t COL_LEFT = 0x8000;        // left-aligned, padded on the right
inline constexpr std::uint32_t COL_RIGHT = 0x4000;       // right-aligned, padded on the left
inline constexpr std::uint32_t COL_WIDTH_MASK = 0x0FFF;  // maximum width in a text report; 0 = no limit

// A row's bar value that means "no bar" (heading and total rows).
inline constexpr double kNoBar = -1.0;

class LaidOutTable {
 public:
  // A table of one descriptor per column, at most 9; its first row heads the columns and
  // its last is the total row.
  explicit LaidOutTable(std::initializer_list<std::uint32_t> columns) : LaidOutTable(columns.begin(), columns.end()) {}
  LaidOutTable(const std::uint32_t* first, const std::uint32_t* last);

  // A bare list: one column, the title its first row (a text report leaves it out), then
  // one name a row.
  static LaidOutTable BareList(std::string_view title);

  // Adds a row: cells each ended by '\n' (missing cells are empty, extra ones dropped; a
  // NUL ends the text) and its bar value (kNoBar, or >= 0).
  void AddRow(std::string_view text, double bar_value);

  bool bare_list() const { return bare_list_; }
  std::size_t column_count() const { return descriptors_.size(); }
  std::uint32_t descriptor(std::size_t column) const { return descriptors_[column]; }
  // The length of the column's longest cell.
  std::size_t widest(std::size_t column) const { return widest_[column]; }
  std::size_t row_count() const { return rows_.size(); }
  std::string_view Cell(std::size_t row, std::size_t column) const {
    const CellSpan cell = cells_[row * descriptors_.size() + column];
    return std::string_view(text_).substr(rows_[row].begin + cell.offset, cell.size);
  }
  double bar_value(std::size_t row) const { return rows_[row].bar_value; }
  // The largest bar value, 0.0 when no row has a bar: a table has bars when it is above 0.
  double largest_bar_value() const { return largest_bar_value_; }

 private:
  // A row's cells are kept as spans of one text that holds every row, so that a table of
  // many thousand rows takes little more memory than its text.
  struct CellSpan {
    std::uint32_t offset = 0;  // from the row's first byte
    std::uint32_t size = 0;
  };
  struct Row {
    std::size_t begin = 0;  // in text_
    double bar_value = 0.0;
  };

  std::vector<std::uint32_t> descriptors_;
  std::vector<std::size_t> widest_;
  std::vector<Row> rows_;
  std::vector<CellSpan> cells_;
  std::string text_;
  double largest_bar_value_ = 0.0;
  bool bare_list_ = false;
};

}  // namespace kestrum
