// Tables drawn with CP866 double-line box characters. Rows are texts of cells, each cell
// ended by a newline; cells wider than their column's limit are cut (and echoed on the
// console); a table with bar values gets a bar-graph column filling every line to 79
// characters, any other table is centred in 79 columns.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "platform/sink.h"

namespace kestrum {

inline constexpr std::uint32_t COL_LEFT = 0x8000;        // left-aligned, padded on the right
inline constexpr std::uint32_t COL_RIGHT = 0x4000;       // right-aligned, padded on the left
inline constexpr std::uint32_t COL_WIDTH_MASK = 0x0FFF;  // maximum width; 0 = no limit

// A row's graph value that means "no bar" (title and total rows).
inline constexpr double kNoBar = -1.0;

class BoxTable {
 public:
  // One descriptor per column, at most 9 (the bar-graph column makes the tenth).
  explicit BoxTable(std::initializer_list<std::uint32_t> columns);

  // Adds a row: cells each ended by '\n' (missing cells are empty, extra ones dropped)
  // and its bar value (kNoBar, or >= 0).
  void AddRow(std::string_view text, double graph_value);

  // Writes the whole table to out; the texts of cut cells go to console. Once only.
  void Render(Sink& out, Sink& console);

  static constexpr int kLineWidth = 79;
  static constexpr std::size_t kMaxColumns = 10;

 private:
  struct Row {
    std::vector<std::string> cells;
    double graph_value = 0.0;
  };

  void CutWideCells(Sink& console);
  void PrepareColumns();
  void PrintBorder(Sink& out, std::string_view left, std::string_view junction, std::string_view right) const;
  void PrintTopBorder(Sink& out) const;
  void PrintMiddleBorder(Sink& out) const;
  void PrintBottomBorder(Sink& out) const;

  std::vector<std::uint32_t> columns_;
  std::vector<std::size_t> widths_;
  std::vector<Row> rows_;
  double largest_graph_value_ = 0.0;
  std::string indent_;
};

}  // namespace kestrum
