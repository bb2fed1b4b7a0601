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

BoxTable::BoxTable(const std::uint32_t* first, const std::uint32_t* last) {
  for (; first != last; ++first) {
    const std::uint32_t descriptor = *first;
    Column& column = columns_.emplace_back();
    // The bits above the width, taken together, choose the alignment; any pattern but
    // exactly one of the two flags makes a plain column printed unpadded.
    switch (descriptor & ~COL_WIDTH_MASK) {
      case COL_LEFT: column.alignment = Alignment::kLeft; break;
      case COL_RIGHT: column.alignment = Alignment::kRight; break;
      default: column.alignment = Alignment::kPlain; break;
    }
    column.limit = descriptor & COL_WIDTH_MASK;
  }
}

void BoxTable::AddRow(std::string_view text, double graph_value) {
  // The text ends at a NUL byte as well as at its end.
  if (const std::size_t nul = text.find('\0'); nul != std::string_view::npos) text = text.substr(0, nul);

  Row& row = rows_.emplace_back();
  row.cells.resize(columns_.size());
  std::size_t pos = 0;
  for (std::size_t column = 0; column < columns_.size() && pos < text.size(); ++column) {
    std::size_t newline = text.find('\n', pos);
    if (newline == std::string_view::npos) newline = text.size();
    row.cells[column].assign(text.substr(pos, newline - pos));
    columns_[column].width = std::max(columns_[column].width, row.cells[column].size());
    pos = newline + 1;
  }
  row.graph_value = graph_value;
  if (graph_value > largest_graph_value_) largest_graph_value_ = graph_value;
}

std::vector<CutCell> BoxTable::Render(Sink& out) && {
  std::vector<CutCell> cut = CutWideCells();
  PrepareColumns();
  WriteBorder(out, "╔"_cp866, "╦"_cp866, "╗"_cp866);

  std::string line;
  for (std::size_t index = 0; index < rows_.size(); ++index) {
    if (index == 1 || index + 1 == rows_.size()) WriteBorder(out, "╠"_cp866, "╬"_cp866, "╣"_cp866);
    line.assign(indent_);
    const Row& row = rows_[index];
    for (std::size_t column = 0; column < columns_.size(); ++column) {
      // As "%-Ns", "%Ns" or "%s" would print the cell: padded, never cut here.
      const std::string& cell = row.cells[column];
      const std::size_t width = columns_[column].width;
      const std::size_t pad = cell.size() < width ? width - cell.size() : 0;
      line.append(kVertical);
      if (columns_[column].alignment == Alignment::kRight) line.append(pad, ' ');
      line.append(cell);
      if (columns_[column].alignment == Alignment::kLeft) line.append(pad, ' ');
    }
    line.append(kEndOfRow);
    out.Write(line);
  }

  WriteBorder(out, "╚"_cp866, "╩"_cp866, "╝"_cp866);
  out.Write("\n");
  return cut;
}

std::vector<CutCell> BoxTable::CutWideCells() {
  std::vector<CutCell> cut;
  for (std::size_t column = 0; column < columns_.size(); ++column) {
    const std::size_t limit = columns_[column].limit;
    if (limit == 0 || columns_[column].width <= limit) continue;
    for (Row& row : rows_) {
      std::string& cell = row.cells[column];
      if (cell.size() <= limit) continue;
      // "~" and the last limit-1 characters: the end of a tag tells more than its start.
      std::string shortened = "~" + cell.substr(cell.size() - (limit - 1));
      cut.push_back(CutCell{std::exchange(cell, shortened), shortened});
    }
    columns_[column].width = limit;
  }
  return cut;
}

void BoxTable::PrepareColumns() {
  // One more than the width of a framed row line.
  std::size_t total = columns_.size() + 2;
  for (const Column& column : columns_) total += column.width;
  const std::size_t line_width = kLineWidth;

  // A table too wide for the line gets neither a bar column nor a negative indent: it is
  // drawn from the line's start at its own width.
  if (largest_graph_value_ > 0.0 && total <= line_width) {
    const std::size_t graph_width = line_width - total;
    for (Row& row : rows_) {
      std::string cell;
      if (row.graph_value == kNoBar) {
        cell = " ";
      } else {
        const double bar = static_cast<double>(graph_width) * row.graph_value / largest_graph_value_;
        // Truncated toward zero; anything outside 0..G (a value the callers never pass)
        // is held inside the column.
        std::size_t length = 0;
        if (bar >= static_cast<double>(graph_width)) {
          length = graph_width;
        } else if (bar >= 1.0) {
          length = static_cast<std::size_t>(bar);
        }
        cell.assign(length, kBarByte);
      }
      row.cells.push_back(std::move(cell));
    }
    columns_.push_back(Column{Alignment::kLeft, 0, graph_width});
    indent_.clear();
  } else {
    indent_.assign(total < line_width ? (line_width - total) / 2 : 0, ' ');
  }
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

}  // namespace kestrum
