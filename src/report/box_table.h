// Tables drawn with CP866 double-line box characters, from a laid-out table or from rows
// added here: texts of cells, each cell ended by a newline. Cells wider than their
// column's limit are cut; a table with bar values gets a bar-graph column filling every
// line to 79 characters, any other table is centred in 79 columns. The table writes
// nothing but its own lines: the cells it cut are handed back for the caller to show.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/sink.h"
#include "report/laid_out_table.h"

namespace kestrum {

// A cell longer than its column's limit, before and after it was cut.
struct CutCell {
  std::string whole;
  std::string cut;
};

class BoxTable {
 public:
  // One descriptor per column, at most 9 (the bar-graph column makes the tenth).
  explicit BoxTable(std::initializer_list<std::uint32_t> columns) : table_(columns) {}
  BoxTable(const std::uint32_t* first, const std::uint32_t* last) : table_(first, last) {}
  // Draws a laid-out table (not a bare list).
  explicit BoxTable(LaidOutTable table) : table_(std::move(table)) {}

  // Adds a row: cells each ended by '\n' (missing cells are empty, extra ones dropped)
  // and its bar value (kNoBar, or >= 0).
  void AddRow(std::string_view text, double graph_value) { table_.AddRow(text, graph_value); }

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
    std::size_t width = 0;  // as drawn
  };

  std::vector<CutCell> CutWideCells() const;
  // Sets the columns as drawn, with the bar column or the indent that centres the table.
  void PrepareColumns();
  // Append one cell of a row, or the row's bar, to the line being drawn.
  void AppendCell(std::string& line, std::size_t row, std::size_t column) const;
  void AppendBar(std::string& line, double graph_value, std::size_t width) const;
  void WriteBorder(Sink& out, std::string_view left, std::string_view junction, std::string_view right) const;

  LaidOutTable table_;
  std::vector<Column> columns_;  // the table's, then the bar column if drawn
  std::string indent_;
};

// Renders the table into out and echoes each cut cell on the console, whole and cut,
// each after a newline.
void WriteTable(BoxTable&& table, Sink& out, Sink& console);

// Writes a laid-out report as a text report does: a bare list as an empty line and then
// one name a line, any other as a box table (WriteTable).
void WriteTextReport(LaidOutTable&& table, Sink& out, Sink& console);

}  // namespace kestrum
