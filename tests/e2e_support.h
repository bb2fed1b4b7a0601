// Support for the end-to-end tests: a temporary folder per test, files written in CP866
// from readable UTF-8, and the real kestrum binary run there with the clock pinned by
// TZ and faketime. Standard output and files are compared byte for byte.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "unit_support.h"

namespace kestrum::e2e {

struct RunResult {
  int status = -1;
  std::string out;  // standard output, as bytes
};

// UTF-8 text as the CP866 bytes the program reads and writes.
std::string Cp866(std::string_view utf8);
// The same, with every LF written as CR LF, as in a text-mode file.
std::string Cp866File(std::string_view utf8);

class E2eTest : public testing_support::TempFolderTest {
 protected:
  std::filesystem::path Path(std::string_view name) const { return dir_ / std::string(name); }
  // Writes bytes as given.
  void WriteRaw(std::string_view name, std::string_view bytes) const;
  // Writes UTF-8 text as a CP866 text-mode file (CR LF line ends).
  void WriteText(std::string_view name, std::string_view utf8) const { WriteRaw(name, Cp866File(utf8)); }
  std::string ReadRaw(std::string_view name) const;
  bool Exists(std::string_view name) const { return std::filesystem::exists(Path(name)); }

  // Runs kestrum in the folder with the arguments. With a date ("2002-07-05 12:00:00")
  // the clock is pinned to it by faketime, in the time zone tz.
  RunResult Run(const std::vector<std::string>& args, std::string_view date = "",
                std::string_view tz = "Europe/Moscow") const;

  // The names in the folder, sorted.
  std::vector<std::string> Names() const;

  // Shell commands run before kestrum in the same shell, such as "ulimit -f 2; ".
  std::string shell_setup_;
};

// The banner line that opens every run.
inline constexpr std::string_view kBanner = "Kestrum, ver. 0.1.2/W32 (c) The Kestrum developers\n";

}  // namespace kestrum::e2e
