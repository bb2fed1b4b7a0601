#include "report/laid_out_table.h"

#include <algorithm>

namespace kestrum {

LaidOutTable::LaidOutTable(const std::uint32_t* first, const std::uint32_t* last)
    : descriptors_(first, last), widest_(descriptors_.size(), 0) {}

LaidOutTable LaidOutTable::BareList(std::string_view title) {
  LaidOutTable list({COL_LEFT});
  list.bare_list_ = true;
  list.AddRow(title, kNoBar);
  return list;
}

void LaidOutTable::AddRow(std::string_view text, double bar_value) {
  if (const std::size_t nul = text.find('\0'); nul != std::string_view::npos) text = text.substr(0, nul);

  // Only the cells are kept, without the newlines that end them and without the extra
  // ones; a row of a report is far shorter than 4 GiB.
  Row& row = rows_.emplace_back();
  row.begin = text_.size();
  row.bar_value = bar_value;
  largest_bar_value_ = std::max(largest_bar_value_, bar_value);
  std::size_t pos = 0;
  for (std::size_t column = 0; column < descriptors_.size(); ++column) {
    CellSpan cell;
    if (pos < text.size()) {
      std::size_t newline = text.find('\n', pos);
      if (newline == std::string_view::npos) newline = text.size();
      cell.offset = static_cast<std::uint32_t>(text_.size() - row.begin);
      cell.size = static_cast<std::uint32_t>(newline - pos);
      text_.append(text.substr(pos, newline - pos));
      widest_[column] = std::max<std::size_t>(widest_[column], cell.size);
      pos = newline + 1;
    }
    cells_.push_back(cell);
  }
}

}  // namespace kestrum
