#include "report/box_table.h"

#include "platform/cp866.h"
#include "platform/format.h"

namespace kestrum {

namespace {

// Bits 12-15 of a descriptor, taken together, choose the alignment; any pattern but
// exactly one of the two flags makes a plain column printed unpadded.
constexpr std::uint32_t kAlignmentBits = 0xF000;

constexpr std::string_view kVertical = "║"_cp866;
constexpr std::string_view kHorizontal = "═"_cp866;
constexpr char kBarByte = static_cast<char>(0xDC);  // ▄, lower half block
constexpr std::string_view kEndOfRow = "║\n"_cp866;

enum class Alignment { kLeft, kRight, kPlain };

Alignment AlignmentOf(std::uint32_t descriptor) {
  switch (descriptor & kAlignmentBits) {
    case COL_LEFT: return Alignment::kLeft;
    case COL_RIGHT: return Alignment::kRight;
    default: return Alignment::kPlain;
  }
}

std::size_t MaxWidthOf(std::uint32_t descriptor) { return descriptor & ~kAlignmentBits; }

// Appends one cell as "%-Ns", "%Ns" or "%s" would print it: padding only, never cut.
void AppendCell(std::string& line, std::string_view cell, std::size_t width, Alignment alignment) {
  const std::size_t pad = cell.size() < width ? width - cell.size() : 0;
  if (alignment == Alignment::kRight) line.append(pad, ' ');
  line.append(cell);
  if (alignment == Alignment::kLeft) line.append(pad, ' ');
}

}  // namespace

BoxTable::BoxTable(std::initializer_list<std::uint32_t> columns) : columns_(columns), widths_(columns_.size(), 0) {}

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
    if (row.cells[column].size() > widths_[column]) widths_[column] = row.cells[column].size();
    pos = newline + 1;
  }
  row.graph_value = graph_value;
  if (graph_value > largest_graph_value_) largest_graph_value_ = graph_value;
}

void BoxTable::Render(Sink& out, Sink& console) {
  CutWideCells(console);
  PrepareColumns();
  PrintTopBorder(out);

  std::string line;
  for (std::size_t index = 0; index < rows_.size(); ++index) {
    if (index == 1 || index + 1 == rows_.size()) PrintMiddleBorder(out);
    line.assign(indent_);
    const Row& row = rows_[index];
    for (std::size_t column = 0; column < columns_.size(); ++column) {
      line.append(kVertical);
      AppendCell(line, row.cells[column], widths_[column], AlignmentOf(columns_[column]));
    }
    line.append(kEndOfRow);
    out.Write(line);
  }

  PrintBottomBorder(out);
  out.Write("\n");
}

void BoxTable::CutWideCells(Sink& console) {
  for (std::size_t column = 0; column < columns_.size(); ++column) {
    const std::size_t limit = MaxWidthOf(columns_[column]);
    if (limit == 0 || widths_[column] <= limit) continue;
    for (Row& row : rows_) {
      std::string& cell = row.cells[column];
      if (cell.size() <= limit) continue;
      Print(console, "\n%s", cell);
      // "~" and the last limit-1 characters: the end of a tag tells more than its start.
      cell = "~" + cell.substr(cell.size() - (limit - 1));
      Print(console, "\n%s", cell);
    }
    widths_[column] = limit;
  }
}

void BoxTable::PrepareColumns() {
  // One more than the width of a framed row line.
  std::size_t total = columns_.size() + 2;
  for (std::size_t width : widths_) total += width;
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
    columns_.push_back(COL_LEFT);
    widths_.push_back(graph_width);
    indent_.clear();
  } else {
    indent_.assign(total < line_width ? (line_width - total) / 2 : 0, ' ');
  }
}

void BoxTable::PrintBorder(Sink& out, std::string_view left, std::string_view junction, std::string_view right) const {
  std::string line(indent_);
  line.append(left);
  for (std::size_t column = 0; column < widths_.size(); ++column) {
    for (std::size_t i = 0; i < widths_[column]; ++i) line.append(kHorizontal);
    if (column + 1 < widths_.size()) line.append(junction);
  }
  line.append(right);
  line.append("\n");
  out.Write(line);
}

void BoxTable::PrintTopBorder(Sink& out) const { PrintBorder(out, "╔"_cp866, "╦"_cp866, "╗"_cp866); }
void BoxTable::PrintMiddleBorder(Sink& out) const { PrintBorder(out, "╠"_cp866, "╬"_cp866, "╣"_cp866); }
void BoxTable::PrintBottomBorder(Sink& out) const { PrintBorder(out, "╚"_cp866, "╩"_cp866, "╝"_cp866); }

}  // namespace kestrum
