#include "report/html_table.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>

#include "platform/cp866.h"
#include "platform/format.h"

namespace kestrum {

namespace {

// What one CP866 byte becomes in HTML text: at most a six-byte reference.
struct Piece {
  std::array<char, 6> bytes{};
  std::uint8_t size = 0;

  constexpr void push_back(char c) { bytes[size++] = c; }
  constexpr void Add(std::string_view text) {
    for (const char c : text) push_back(c);
  }
};

constexpr Piece PieceOf(unsigned char byte) {
  Piece piece;
  switch (byte) {
    case '&': piece.Add("&amp;"); return piece;
    case '<': piece.Add("&lt;"); return piece;
    case '>': piece.Add("&gt;"); return piece;
    case '"': piece.Add("&quot;"); return piece;
    case '\'': piece.Add("&#39;"); return piece;
    default: break;
  }
  AppendUtf8(piece, byte < 0x20 || byte == 0x7F ? char32_t{0xFFFD} : Cp866CodePoint(byte));
  return piece;
}

constexpr std::array<Piece, 256> kPieces = [] {
  std::array<Piece, 256> pieces{};
  for (std::size_t byte = 0; byte < pieces.size(); ++byte) pieces[byte] = PieceOf(static_cast<unsigned char>(byte));
  return pieces;
}();

// A byte that stands for itself in HTML text.
constexpr bool Plain(unsigned char byte) {
  return kPieces[byte].size == 1 && static_cast<unsigned char>(kPieces[byte].bytes[0]) == byte;
}

std::string_view Trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') + 1 - first);
}

// A heading as a formatter would print it: "%%" is one percent sign.
std::string Heading(std::string_view cell) {
  std::string heading(Trimmed(cell));
  for (std::size_t at = heading.find("%%"); at != std::string::npos; at = heading.find("%%", at + 1)) {
    heading.erase(at, 1);
  }
  return heading;
}

bool LeftAligned(std::uint32_t descriptor) { return (descriptor & ~COL_WIDTH_MASK) != COL_RIGHT; }

void AppendElement(std::string& line, std::string_view open, std::string_view cp866, std::string_view close) {
  line.append(open);
  AppendHtmlText(line, cp866);
  line.append(close);
}

class HtmlTableWriter {
 public:
  HtmlTableWriter(const LaidOutTable& table, Sink& out) : table_(table), out_(out) {
    // The title heads the names: the first heading cell that is not blank.
    for (std::size_t column = 0; table.row_count() != 0 && column < table.column_count(); ++column) {
      if (!Trimmed(table.Cell(0, column)).empty()) {
        title_column_ = column;
        break;
      }
    }
  }

  void Write() {
    const std::size_t rows = table_.row_count();
    const bool bars = table_.largest_bar_value() > 0.0;
    line_.assign(bars ? "<table class=\"bars\">\n" : "<table>\n");
    if (title_column_ < table_.column_count()) {
      AppendElement(line_, "<caption>", Trimmed(table_.Cell(0, title_column_)), "</caption>\n");
    }
    if (rows != 0) {
      line_.append("<thead>\n<tr>");
      for (std::size_t column = 0; column < table_.column_count(); ++column) {
        line_.append(LeftAligned(table_.descriptor(column)) ? "<th scope=\"col\" class=\"l\">" : "<th scope=\"col\">");
        if (column != title_column_) AppendHtmlText(line_, Heading(table_.Cell(0, column)));
        line_.append("</th>");
      }
      if (bars) line_.append("<td class=\"bar\"></td>");
      line_.append("</tr>\n</thead>\n");
    }
    // The rows between the heading and the total; no body at all without them.
    if (rows > 2) {
      line_.append("<tbody>\n");
      for (std::size_t row = 1; row + 1 < rows; ++row) {
        AppendRow(row, bars);
        if (line_.size() >= kWriteAt) Flush();
      }
      line_.append("</tbody>\n");
    }
    if (rows > 1) {
      line_.append("<tfoot>\n");
      AppendRow(rows - 1, bars);
      line_.append("</tfoot>\n");
    }
    line_.append("</table>\n");
    Flush();
  }

 private:
  static constexpr std::size_t kWriteAt = 1 << 16;

  void AppendRow(std::size_t row, bool bars) {
    line_.append("<tr>");
    for (std::size_t column = 0; column < table_.column_count(); ++column) {
      const std::string_view cell = Trimmed(table_.Cell(row, column));
      if (column == title_column_) {
        AppendElement(line_, "<th scope=\"row\">", cell, "</th>");
      } else {
        AppendElement(line_, LeftAligned(table_.descriptor(column)) ? "<td class=\"l\">" : "<td>", cell, "</td>");
      }
    }
    if (bars) {
      const double value = table_.bar_value(row);
      if (value > 0.0) {
        const double share = std::min(100.0, value * 100.0 / table_.largest_bar_value());
        AppendFormat(line_, "<td class=\"bar\" style=\"--w:%.1f%%\"></td>", {share});
      } else {
        line_.append("<td class=\"bar\"></td>");
      }
    }
    line_.append("</tr>\n");
  }

  void Flush() {
    out_.Write(line_);
    line_.clear();
  }

  const LaidOutTable& table_;
  Sink& out_;
  std::size_t title_column_ = static_cast<std::size_t>(-1);
  std::string line_;
};

void WriteHtmlList(const LaidOutTable& list, Sink& out) {
  std::string text;
  const std::string_view title = list.row_count() != 0 ? Trimmed(list.Cell(0, 0)) : std::string_view();
  if (!title.empty()) AppendElement(text, "<h2>", title, "</h2>\n");
  // An empty list is left out: a page holds no empty <ul>.
  if (list.row_count() > 1) {
    text.append("<ul class=\"names\">\n");
    for (std::size_t row = 1; row < list.row_count(); ++row) {
      AppendElement(text, "<li>", list.Cell(row, 0), "</li>\n");
      if (text.size() >= 1 << 16) {
        out.Write(text);
        text.clear();
      }
    }
    text.append("</ul>\n");
  }
  out.Write(text);
}

}  // namespace

void AppendHtmlText(std::string& out, std::string_view cp866) {
  std::size_t plain_from = 0;
  for (std::size_t i = 0; i < cp866.size(); ++i) {
    const auto byte = static_cast<unsigned char>(cp866[i]);
    if (Plain(byte)) continue;
    out.append(cp866.substr(plain_from, i - plain_from));
    const Piece& piece = kPieces[byte];
    out.append(piece.bytes.data(), piece.size);
    plain_from = i + 1;
  }
  out.append(cp866.substr(plain_from));
}

void WriteHtmlReport(const LaidOutTable& table, Sink& out) {
  if (table.bare_list()) {
    WriteHtmlList(table, out);
  } else {
    HtmlTableWriter(table, out).Write();
  }
}

}  // namespace kestrum
