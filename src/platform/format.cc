#include "platform/format.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <iterator>

namespace kestrum {

long long FormatArg::AsSigned() const {
  switch (kind_) {
    case Kind::kSigned: return signed_;
    case Kind::kUnsigned: return static_cast<long long>(unsigned_);
    case Kind::kDouble: return static_cast<long long>(double_);
    case Kind::kChar: return static_cast<unsigned char>(char_);
    case Kind::kText: return 0;
  }
  return 0;
}

unsigned long long FormatArg::AsUnsigned() const {
  switch (kind_) {
    case Kind::kSigned: return static_cast<unsigned long long>(signed_);
    case Kind::kUnsigned: return unsigned_;
    case Kind::kDouble: return static_cast<unsigned long long>(double_);
    case Kind::kChar: return static_cast<unsigned char>(char_);
    case Kind::kText: return 0;
  }
  return 0;
}

double FormatArg::AsDouble() const {
  switch (kind_) {
    case Kind::kSigned: return static_cast<double>(signed_);
    case Kind::kUnsigned: return static_cast<double>(unsigned_);
    case Kind::kDouble: return double_;
    case Kind::kChar: return static_cast<unsigned char>(char_);
    case Kind::kText: return 0.0;
  }
  return 0.0;
}

namespace {

struct Directive {
  std::string flags;
  bool left = false;
  int width = -1;
  int precision = -1;
  char conversion = 0;
};

void Pad(std::string& out, std::string_view body, const Directive& directive) {
  const int padding =
      directive.width > static_cast<int>(body.size()) ? directive.width - static_cast<int>(body.size()) : 0;
  if (!directive.left) out.append(static_cast<std::size_t>(padding), ' ');
  out.append(body);
  if (directive.left) out.append(static_cast<std::size_t>(padding), ' ');
}

// Formats one numeric conversion through the C library.
void AppendNumber(std::string& out, const Directive& directive, const FormatArg& arg) {
  std::string format(1, '%');
  format += directive.flags;
  if (directive.width >= 0) format += std::to_string(directive.width);
  if (directive.precision >= 0) {
    format += '.';
    format += std::to_string(directive.precision);
  }
  // With a length modifier that matches the value actually passed.
  const auto print = [&](char* buffer, std::size_t size) {
    switch (directive.conversion) {
      case 'd':
      case 'i': return std::snprintf(buffer, size, (format + "ll" + directive.conversion).c_str(), arg.AsSigned());
      case 'u':
      case 'x':
      case 'X':
      case 'o': return std::snprintf(buffer, size, (format + "ll" + directive.conversion).c_str(), arg.AsUnsigned());
      default: return std::snprintf(buffer, size, (format + directive.conversion).c_str(), arg.AsDouble());
    }
  };
  char buffer[512];
  const int written = print(buffer, sizeof buffer);
  if (written < 0) return;
  if (static_cast<std::size_t>(written) < sizeof buffer) {
    out.append(buffer, static_cast<std::size_t>(written));
    return;
  }
  // Very wide numbers (a huge double printed with %f): format again at full size.
  std::string large(static_cast<std::size_t>(written) + 1, '\0');
  print(large.data(), large.size());
  large.resize(static_cast<std::size_t>(written));
  out += large;
}

// The reports' own conversions, "%lu" and "%.1f" among them: integers without precision
// and fixed-point numbers with one, padded at most with blanks. std::to_chars writes the
// same characters as printf (for a fixed precision the exactly rounded digits) without
// building a format and parsing it again, for every cell of every table. False for any
// other conversion, which the C library then writes.
bool AppendPlainNumber(std::string& out, const Directive& directive, const FormatArg& arg) {
  if (!directive.flags.empty() && directive.flags != "-") return false;
  char buffer[64];
  std::to_chars_result result{};
  switch (directive.conversion) {
    case 'd':
    case 'i':
      if (directive.precision >= 0) return false;
      result = std::to_chars(std::begin(buffer), std::end(buffer), arg.AsSigned());
      break;
    case 'u':
      if (directive.precision >= 0) return false;
      result = std::to_chars(std::begin(buffer), std::end(buffer), arg.AsUnsigned());
      break;
    case 'f': {
      // Bounded so that the digits always fit; infinities and NaNs go the long way.
      const double value = arg.AsDouble();
      if (directive.precision < 0 || directive.precision > 20 || !(std::fabs(value) < 1e20)) return false;
      result =
          std::to_chars(std::begin(buffer), std::end(buffer), value, std::chars_format::fixed, directive.precision);
      break;
    }
    default: return false;
  }
  if (result.ec != std::errc()) return false;
  Pad(out, std::string_view(buffer, static_cast<std::size_t>(result.ptr - buffer)), directive);
  return true;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A decimal number of the format at i, held at 4096 (wider is never meant).
int ReadCount(std::string_view format, std::size_t& i) {
  int count = 0;
  while (i < format.size() && IsDigit(format[i])) {
    count = std::min(count * 10 + (format[i++] - '0'), 4096);
  }
  return count;
}

// Reads the directive after a '%' at i: flags, width, precision, length modifiers (which
// are skipped) and the conversion. False when the format ends before a conversion.
bool ReadDirective(std::string_view format, std::size_t& i, Directive* directive) {
  while (i < format.size() && std::string_view("-+ #0").find(format[i]) != std::string_view::npos) {
    if (format[i] == '-') directive->left = true;
    directive->flags.push_back(format[i++]);
  }
  if (i < format.size() && IsDigit(format[i])) directive->width = ReadCount(format, i);
  if (i < format.size() && format[i] == '.') {
    ++i;
    directive->precision = ReadCount(format, i);
  }
  while (i < format.size() && std::string_view("hlLqjzt").find(format[i]) != std::string_view::npos) ++i;
  if (i >= format.size()) return false;
  directive->conversion = format[i++];
  return true;
}

// Writes one argument by its directive.
void AppendArg(std::string& out, const Directive& directive, const FormatArg& arg) {
  if (directive.conversion == 's') {
    std::string_view text = arg.kind() == FormatArg::Kind::kText ? arg.AsText() : std::string_view();
    if (directive.precision >= 0 && text.size() > static_cast<std::size_t>(directive.precision)) {
      text = text.substr(0, static_cast<std::size_t>(directive.precision));
    }
    Pad(out, text, directive);
  } else if (directive.conversion == 'c') {
    const char ch = arg.kind() == FormatArg::Kind::kChar ? arg.AsChar() : static_cast<char>(arg.AsUnsigned());
    Pad(out, std::string_view(&ch, 1), directive);
  } else if (!AppendPlainNumber(out, directive, arg)) {
    AppendNumber(out, directive, arg);
  }
}

}  // namespace

void AppendFormat(std::string& out, std::string_view format, std::span<const FormatArg> args) {
  auto next = args.begin();
  std::size_t i = 0;
  while (i < format.size()) {
    const char c = format[i++];
    if (c != '%') {
      out.push_back(c);
      continue;
    }
    if (i < format.size() && format[i] == '%') {
      out.push_back('%');
      ++i;
      continue;
    }
    Directive directive;
    if (!ReadDirective(format, i, &directive)) break;
    // An unknown conversion, or one past the last argument, prints nothing.
    if (std::string_view("diuxXocsfFeEgG").find(directive.conversion) == std::string_view::npos) continue;
    if (next == args.end()) continue;
    AppendArg(out, directive, *next++);
  }
}

}  // namespace kestrum
