// Tables drawn with CP866 double-line box characters. Rows are texts of cells, each cell
// ended by a newline; cells wider than their column's limit are cut; a table with bar
// values gets a bar-graph column filling every line to 79 characters, any other table is
// centred in 79 columns. The table writes nothing but its own lines: the cells it cut are
// handed back for the caller to show.
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

// A cell longer than its column's limit, before and after it was cut.
struct CutCell {
  std::string whole;
  std::string cut;
};

class BoxTable {
 public:
  // One descriptor per column, at most 9 (the bar-graph column makes the tenth).
  explicit BoxTable(std::initializer_list<std::uint32_t> columns) : BoxTable(columns.begin(), columns.end()) {}
  BoxTable(const std::uint32_t* first, const std::uint32_t* last);

  // Adds a row: cells each ended by '\n' (missing cells are empty, extra ones dropped)
  // and its bar value (kNoBar, or >= 0).
  void AddRow(std::string_view text, double graph_value);

  // Writes the whole table to out and answers the cells it cut, column by column and
  // row by row. Rendering uses the table up: std::move(table).Render(out).
  std::vector<CutCell> Render(Sink& out) &&;

  static constexpr int kLineWidth = 79;
  static constexpr std::size_t kMaxColumns = 10;

 private:
  enum class Alignment { kLeft, kRight, kPlain };
  struct Column {
    Alignment alignment = Alignment::kPlain;
    std::size_t limit = 0;  // 0: no limit
    std::size_t width = 0;  // of the widest cell, then of the column as drawn
  };
  // A row's cells are kept as spans of one text that holds every row, so that a table of
  // many thousand rows takes little more memory than its text: one cell per column, a
  // missing cell empty. A cell longer than its column's limit is drawn cut, and the bar
  // cell is drawn from the graph value.
  struct Cell {
    std::uint32_t offset = 0;  // from the row's first byte
    std::uint32_t size = 0;
  };
  struct Row {
    std::size_t begin = 0;  // in text_
    double graph_value = 0.0;
  };

  std::string_view CellText(std::size_t row, std::size_t column) const {
    const Cell cell = cells_[row * data_columns_ + column];
    return std::string_view(text_).substr(rows_[row].begin + cell.offset, cell.size);
  }
  std::vector<CutCell> CutWideCells();
  // Adds the bar column, or the indent that centres the table.
  void PrepareColumns();
  // Append one cell of a row, or the row's bar, to the line being drawn.
  void AppendCell(std::string& line, std::size_t row, std::size_t column) const;
  void AppendBar(std::string& line, double graph_value, std::size_t width) const;
  void WriteBorder(Sink& out, std::string_view left, std::string_view junction, std::string_view right) const;

  std::vector<Column> columns_;
  std::size_t data_columns_ = 0;  // the columns given; a bar column may follow them
  std::vector<Row> rows_;
  std::vector<Cell> cells_;
  std::string text_;
  double largest_graph_value_ = 0.0;
  std::string indent_;
};

// Renders the table into out and echoes each cut cell on the console, whole and cut,
// each after a newline.
void WriteTable(BoxTable&& table, Sink& out, Sink& console);

}  // namespace kestrum
