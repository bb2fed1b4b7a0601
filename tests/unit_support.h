// Small helpers shared by the tests: whole-file reads and writes, a temporary folder per
// test, a time zone set for one test, and texts shown with escapes in failure messages.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>

#include "platform/format.h"
#include "platform/local_time.h"

namespace kestrum::testing_support {

inline std::string ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::filesystem::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// A fixture with a fresh folder of its own for each test, removed afterwards unless the
// test failed (so that what it left can be looked at). The path is short, as report
// paths in a configuration may hold only 79 characters.
class TempFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    static int count = 0;
    dir_ = std::filesystem::temp_directory_path() /
           ("kestrum-" + std::to_string(::getpid()) + "-" + std::to_string(++count));
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override {
    if (!HasFailure()) std::filesystem::remove_all(dir_);
  }

  std::filesystem::path dir_;
};

// Sets TZ for one test and puts the previous setting back afterwards.
class ScopedTimeZone {
 public:
  explicit ScopedTimeZone(const char* zone) {
    if (const char* old = std::getenv("TZ")) saved_ = old;
    setenv("TZ", zone, 1);
    InitTimeZone();
  }
  ~ScopedTimeZone() {
    if (saved_) {
      setenv("TZ", saved_->c_str(), 1);
    } else {
      unsetenv("TZ");
    }
    InitTimeZone();
  }
  ScopedTimeZone(const ScopedTimeZone&) = delete;
  ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

 private:
  std::optional<std::string> saved_;
};

// A text in quotes with every byte outside printable ASCII written as an escape.
inline std::string Shown(std::string_view text) {
  std::string out = "\"";
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (byte >= 0x20 && byte < 0x7F) {
      out += c;
    } else {
      out += Format("\\x%02X", static_cast<unsigned>(byte));
    }
  }
  return out + "\"";
}

}  // namespace kestrum::testing_support
