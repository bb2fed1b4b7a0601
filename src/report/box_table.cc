#include "report/box_table.h"

#include <algorithm>
#include <utility>

#include "platform/cp866.h"
#include "platform/format.h"

namespace kestrum {

namespace {

constexpr std::string_view kVertical = "║"_cp866;
constexpr std::string_view kHorizontal = "═"_cp866;
constexpr char kBarByte = static_cast<char>(0xDC);  // ▄, lower half block
constexpr std::string_view kEndOfRow = "║\n"_cp866;

}  // namespace

std::vector<CutCell> BoxTable::Render(Sink& out) && {
  PrepareColumns();
  std::vector<CutCell> cut = CutWideCells();
  WriteBorder(out, "╔"_cp866, "╦"_cp866, "╗"_cp866);

  std::string line;
  const std::size_t rows = table_.row_count();
  for (std::size_t index = 0; index < rows; ++index) {
    if (index == 1 || index + 1 == rows) WriteBorder(out, "╠"_cp866, "╬"_cp866, "╣"_cp866);
    line.assign(indent_);
    for (std::size_t column = 0; column < columns_.size(); ++column) {
      line.append(kVertical);
      if (column == table_.column_count()) {
        AppendBar(line, table_.bar_value(index), columns_[column].width);
      } else {
        AppendCell(line, index, column);
      }
    }
    line.append(kEndOfRow);
    out.Write(line);
  }

  WriteBorder(out, "╚"_cp866, "╩"_cp866, "╝"_cp866);
  out.Write("\n");
  return cut;
}

std::vector<CutCell> BoxTable::CutWideCells() const {
  std::vector<CutCell> cut;
  for (std::size_t column = 0; column < table_.column_count(); ++column) {
    const std::size_t limit = columns_[column].limit;
    if (limit == 0 || table_.widest(column) <= limit) continue;
    for (std::size_t row = 0; row < table_.row_count(); ++row) {
      const std::string_view cell = table_.Cell(row, column);
      if (cell.size() <= limit) continue;
      // "~" and the last limit-1 characters: the end of a tag tells more than its start.
      cut.push_back(CutCell{std::string(cell), "~" + std::string(cell.substr(cell.size() - (limit - 1)))});
    }
  }
  return cut;
}

void BoxTable::PrepareColumns() {
  columns_.clear();
  for (std::size_t index = 0; index < table_.column_count(); ++index) {
    const std::uint32_t descriptor = table_.descriptor(index);
    Column& column = columns_.emplace_back();
    // The bits above the width, taken together, choose the alignment; any pattern but
    // exactly one of the two flags makes a plain column printed unpadded.
    switch (descriptor & ~COL_WIDTH_MASK) {
      case COL_LEFT: column.alignment = Alignment::kLeft; break;
      case COL_RIGHT: column.alignment = Alignment::kRight; break;
      default: column.alignment = Alignment::kPlain; break;
    }
    column.limit = descriptor & COL_WIDTH_MASK;
    // A column with a limit is as wide as its widest cell, up to the limit.
    column.width = table_.widest(index);
    if (column.limit != 0 && column.width > column.limit) column.width = column.limit;
  }

  // One more than the width of a framed row line.
  std::size_t total = columns_.size() + 2;
  for (const Column& column : columns_) total += column.width;
  const std::size_t line_width = kLineWidth;

  // A table too wide for the line gets neither a bar column nor a negative indent: it is
  // drawn from the line's start at its own width.
  if (table_.largest_bar_value() > 0.0 && total <= line_width) {
    columns_.push_back(Column{Alignment::kLeft, 0, line_width - total});
    indent_.clear();
  } else {
    indent_.assign(total < line_width ? (line_width - total) / 2 : 0, ' ');
  }
}

void BoxTable::AppendCell(std::string& line, std::size_t row, std::size_t column) const {
  // As "%-Ns", "%Ns" or "%s" would print the cell (a plain column's unpadded); a cell
  // wider than its limit is drawn as "~" and its last limit-1 characters.
  const Column& drawn = columns_[column];
  std::string_view cell = table_.Cell(row, column);
  const bool shortened = drawn.limit != 0 && cell.size() > drawn.limit;
  if (shortened) cell = cell.substr(cell.size() - (drawn.limit - 1));
  const std::size_t size = cell.size() + (shortened ? 1 : 0);
  const std::size_t pad = size < drawn.width ? drawn.width - size : 0;
  if (drawn.alignment == Alignment::kRight) line.append(pad, ' ');
  if (shortened) line.push_back('~');
  line.append(cell);
  if (drawn.alignment == Alignment::kLeft) line.append(pad, ' ');
}

void BoxTable::AppendBar(std::string& line, double graph_value, std::size_t width) const {
  // A row without a bar shows one blank; a bar is truncated toward zero, and anything
  // outside 0..width (a value the callers never pass) is held inside the column.
  std::size_t length = 0;
  if (graph_value == kNoBar) {
    line.push_back(' ');
    length = 1;
  } else {
    const double bar = static_cast<double>(width) * graph_value / table_.largest_bar_value();
    if (bar >= static_cast<double>(width)) {
      length = width;
    } else if (bar >= 1.0) {
      length = static_cast<std::size_t>(bar);
    }
    line.append(length, kBarByte);
  }
  if (length < width) line.append(width - length, ' ');
}

void BoxTable::WriteBorder(Sink& out, std::string_view left, std::string_view junction, std::string_view right) const {
  std::string line(indent_);
  line.append(left);
  for (std::size_t column = 0; column < columns_.size(); ++column) {
    for (std::size_t i = 0; i < columns_[column].width; ++i) line.append(kHorizontal);
    if (column + 1 < columns_.size()) line.append(junction);
  }
  line.append(right);
  line.append("\n");
  out.Write(line);
}

void WriteTable(BoxTable&& table, Sink& out, Sink& console) {
  for (const CutCell& cell : std::move(table).Render(out)) {
    Print(console, "\n%s", cell.whole);
    Print(console, "\n%s", cell.cut);
  }
}

void WriteTextReport(LaidOutTable&& table, Sink& out, Sink& console) {
  if (!table.bare_list()) {
    WriteTable(BoxTable(std::move(table)), out, console);
    return;
  }
  std::string list = "\n";
  for (std::size_t row = 1; row < table.row_count(); ++row) list.append(table.Cell(row, 0)).append("\n");
  out.Write(list);
}

}  // namespace kestrum
