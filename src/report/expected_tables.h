// Helpers for tests that spell out whole expected tables in readable UTF-8.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>

namespace kestrum::expected {

inline std::string Times(std::string_view text, std::size_t count) {
  std::string out;
  for (std::size_t i = 0; i < count; ++i) out.append(text);
  return out;
}

// One border line (without its newline) of a table with the given column widths.
inline std::string Border(std::string_view left, std::string_view junction, std::string_view right,
                          std::initializer_list<std::size_t> widths) {
  std::string line(left);
  std::size_t column = 0;
  for (std::size_t width : widths) {
    if (column++ != 0) line.append(junction);
    line.append(Times("═", width));
  }
  line.append(right);
  return line;
}

// The lines of a table, each after the indent and ended by a newline, then the empty
// line that follows every table.
inline std::string Lines(std::size_t indent, std::initializer_list<std::string> lines) {
  std::string out;
  for (const std::string& line : lines) out.append(std::string(indent, ' ') + line + "\n");
  out.append("\n");
  return out;
}

}  // namespace kestrum::expected
