// Where the program's bytes go: standard output, a text-mode file (text_file.h) or,
// in tests, a string. Everything is written as raw bytes; no sink adds or changes any.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace kestrum {

class Sink {
 public:
  virtual ~Sink() = default;
  virtual void Write(std::string_view bytes) = 0;
  // Passes on what was written so far, for a message that must be seen at once.
  virtual void Flush() {}
};

// Collects everything written, for tests and for building texts.
class StringSink : public Sink {
 public:
  void Write(std::string_view bytes) override { text_.append(bytes); }
  const std::string& text() const { return text_; }

 private:
  std::string text_;
};

// The terminal: bytes go to a C stream unchanged (LF stays LF).
class StreamSink : public Sink {
 public:
  explicit StreamSink(std::FILE* stream) : stream_(stream) {}
  void Write(std::string_view bytes) override;
  void Flush() override;

 private:
  std::FILE* stream_;
};

}  // namespace kestrum
