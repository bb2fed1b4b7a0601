// Support for the end-to-end tests: a temporary folder per test, files written in CP866
// from readable UTF-8, and the real kestrum binary run there with the clock pinned by
// TZ and faketime. Standard output and files are compared byte for byte.
//
// With KESTRUM_E2E_EXE naming a kestrum.exe in the environment, the tests run that under
// wine (the program named by KESTRUM_E2E_WINE, wine64 by default) instead of the native
// binary. Its files must be the same to the byte; the console's lines end in CR LF on
// Windows, the one difference allowed: Run checks that every line does and hands back
// the output with plain LFs.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <map>
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
  // the clock is pinned to it by faketime, in the time zone tz (for kestrum.exe, the
  // zone that wine gives Windows).
  RunResult Run(const std::vector<std::string>& args, std::string_view date = "",
                std::string_view tz = "Europe/Moscow") const;

  // Runs kestrum as Run does, once for each list of arguments, all started together;
  // answers when all have ended, in the order given. Under wine, a run that lost its
  // start (see Run) is run again on its own afterwards.
  std::vector<RunResult> RunTogether(const std::vector<std::vector<std::string>>& runs, std::string_view date = "",
                                     std::string_view tz = "Europe/Moscow") const;

  // Runs kestrum as Run does, with its output thrown away, and kills it with SIGKILL
  // after `delay` unless it ended before; answers its exit status, or -1 when it was
  // killed. The clock is the real one: faketime's library, killed, would leave its
  // shared memory behind, in the way of a later process of the same number.
  int RunKilledAfter(const std::vector<std::string>& args, std::chrono::microseconds delay,
                     std::string_view tz = "Europe/Moscow") const;

  // Runs a Windows console command (cmd /c args) under wine in the folder, for the tests
  // of kestrum.exe that look at what only Windows keeps, such as file attributes.
  RunResult RunWindowsCommand(const std::vector<std::string>& args) const;

  // The names in the folder, sorted.
  std::vector<std::string> Names() const;

  // Every file and folder below the run folder: its path and, for a file, its bytes.
  using Listing = std::map<std::string, std::string>;
  Listing List() const;

  // Shell commands run before kestrum in the same shell, such as "ulimit -f 2; ".
  std::string shell_setup_;

 private:
  // The shell command of one run.
  std::string Command(const std::vector<std::string>& args, std::string_view date, std::string_view tz) const;
};

// True when the tests run kestrum.exe under wine.
bool RunsWindowsBuild();

// Skips the running test, saying why, when it runs kestrum.exe: for the few cases that
// Windows cannot express (the zone rules of years long past, Unix file modes).
#define KESTRUM_SKIP_ON_WINDOWS(reason)                               \
  do {                                                                \
    if (::kestrum::e2e::RunsWindowsBuild()) GTEST_SKIP() << (reason); \
  } while (false)

// The banner line that opens every run.
inline constexpr std::string_view kBanner = "Kestrum, ver. 0.1.2/W32 (c) The Kestrum developers\n";

}  // namespace kestrum::e2e
