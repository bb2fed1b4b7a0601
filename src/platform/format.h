// printf-style formatting into a string or a sink, checked against the arguments' real
// types: a null text prints "(null)", a missing argument prints nothing, and no format
// can read memory that was not passed. Conversions: d i u x X o c s f F e E g G and %%,
// with flags, width and precision; length modifiers are accepted and ignored.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

#include "platform/sink.h"

namespace kestrum {

class FormatArg {
 public:
  enum class Kind { kSigned, kUnsigned, kDouble, kChar, kText };

  FormatArg(int v) : kind_(Kind::kSigned), signed_(v) {}                     // NOLINT
  FormatArg(long v) : kind_(Kind::kSigned), signed_(v) {}                    // NOLINT
  FormatArg(long long v) : kind_(Kind::kSigned), signed_(v) {}               // NOLINT
  FormatArg(unsigned v) : kind_(Kind::kUnsigned), unsigned_(v) {}            // NOLINT
  FormatArg(unsigned long v) : kind_(Kind::kUnsigned), unsigned_(v) {}       // NOLINT
  FormatArg(unsigned long long v) : kind_(Kind::kUnsigned), unsigned_(v) {}  // NOLINT
  FormatArg(double v) : kind_(Kind::kDouble), double_(v) {}                  // NOLINT
  FormatArg(char v) : kind_(Kind::kChar), char_(v) {}                        // NOLINT
  FormatArg(std::string_view v) : kind_(Kind::kText), text_(v) {}            // NOLINT
  FormatArg(const std::string& v) : kind_(Kind::kText), text_(v) {}          // NOLINT
  FormatArg(const char* v)                                                   // NOLINT
      : kind_(Kind::kText), text_(v == nullptr ? std::string_view("(null)") : std::string_view(v)) {}

  Kind kind() const { return kind_; }
  long long AsSigned() const;
  unsigned long long AsUnsigned() const;
  double AsDouble() const;
  std::string_view AsText() const { return text_; }
  char AsChar() const { return char_; }

 private:
  Kind kind_;
  long long signed_ = 0;
  unsigned long long unsigned_ = 0;
  double double_ = 0.0;
  char char_ = 0;
  std::string_view text_;
};

// Appends the formatted text to out.
void AppendFormat(std::string& out, std::string_view format, std::span<const FormatArg> args);
inline void AppendFormat(std::string& out, std::string_view format, std::initializer_list<FormatArg> args) {
  AppendFormat(out, format, std::span<const FormatArg>(args.begin(), args.size()));
}

template <typename... Args>
std::string Format(std::string_view format, const Args&... args) {
  std::string out;
  AppendFormat(out, format, {FormatArg(args)...});
  return out;
}

template <typename... Args>
void Print(Sink& sink, std::string_view format, const Args&... args) {
  std::string out;
  AppendFormat(out, format, {FormatArg(args)...});
  sink.Write(out);
}

}  // namespace kestrum
