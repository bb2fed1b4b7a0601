#include "e2e_support.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "platform/cp866.h"

namespace kestrum::e2e {

namespace {

std::string ShellQuote(std::string_view text) {
  std::string quoted = "'";
  for (const char c : text) {
    if (c == '\'') {
      quoted += "'\\''";
    } else {
      quoted += c;
    }
  }
  return quoted + "'";
}

// The kestrum.exe to run under wine, or "" for the native binary.
const std::string& WindowsExe() {
  static const std::string exe = [] {
    const char* value = std::getenv("KESTRUM_E2E_EXE");
    return std::string(value == nullptr ? "" : value);
  }();
  return exe;
}

std::string WineCommand() {
  const char* value = std::getenv("KESTRUM_E2E_WINE");
  return value == nullptr || *value == '\0' ? "wine64" : value;
}

// The console output of kestrum.exe with its CR LF line ends made LF, after checking
// that every line has one.
std::string FromWindowsConsole(const std::string& out) {
  std::string plain;
  for (std::size_t i = 0; i < out.size(); ++i) {
    if (out[i] == '\r' && i + 1 < out.size() && out[i + 1] == '\n') continue;
    if (out[i] == '\n' && (i == 0 || out[i - 1] != '\r')) ADD_FAILURE() << "a console line without CR LF: " << out;
    plain += out[i];
  }
  return plain;
}

}  // namespace

bool RunsWindowsBuild() { return !WindowsExe().empty(); }

std::string Cp866(std::string_view utf8) { return Utf8ToCp866(utf8); }

std::string Cp866File(std::string_view utf8) {
  std::string out;
  for (const char c : Utf8ToCp866(utf8)) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

void E2eTest::WriteRaw(std::string_view name, std::string_view bytes) const {
  std::ofstream out(Path(name), std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string E2eTest::ReadRaw(std::string_view name) const {
  // In blocks: the listings of the robustness tests read megabytes.
  std::ifstream in(Path(name), std::ios::binary);
  std::string bytes;
  char buffer[65536];
  while (in.read(buffer, sizeof buffer) || in.gcount() > 0) bytes.append(buffer, static_cast<std::size_t>(in.gcount()));
  return bytes;
}

std::vector<std::string> E2eTest::Names() const {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir_)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

namespace {

RunResult RunShell(const std::string& command) {
  RunResult result;
  std::FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return result;
  char buffer[4096];
  std::size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) result.out.append(buffer, got);
  const int status = ::pclose(pipe);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

}  // namespace

RunResult E2eTest::RunWindowsCommand(const std::vector<std::string>& args) const {
  std::string command = "cd " + ShellQuote(dir_.string()) + " && " + ShellQuote(WineCommand()) + " cmd /c";
  for (const std::string& arg : args) command += " " + ShellQuote(arg);
  RunResult result = RunShell(command);
  result.out = FromWindowsConsole(result.out);
  return result;
}

std::string E2eTest::Command(const std::vector<std::string>& args, std::string_view date, std::string_view tz) const {
  std::string command = "cd " + ShellQuote(dir_.string()) + " && " + shell_setup_ + "TZ=" + ShellQuote(tz) +
                        " ASAN_OPTIONS=verify_asan_link_order=0 ";
  // Wine times a wait by the process's monotonic clock, which faketime would move by
  // years: a waiting kestrum.exe would sleep as long. A run of kestrum.exe that hangs in
  // wine ends after two minutes (status 124) and fails its test.
  if (RunsWindowsBuild()) command += "DONT_FAKE_MONOTONIC=1 timeout 120 ";
  if (!date.empty()) {
    // A date of faketime's own form ("@2002-07-05 12:00:00 x200") is passed as it is.
    command += date.front() == '@' ? "faketime -f " : "faketime ";
    command += ShellQuote(date) + " ";
  }
  command +=
      RunsWindowsBuild() ? ShellQuote(WineCommand()) + " " + ShellQuote(WindowsExe()) : ShellQuote(KESTRUM_BINARY);
  for (const std::string& arg : args) command += " " + ShellQuote(arg);
  return command;
}

std::vector<RunResult> E2eTest::RunTogether(const std::vector<std::vector<std::string>>& runs, std::string_view date,
                                            std::string_view tz) const {
  // All are started before any output is read; each writes far less than a pipe holds.
  std::vector<std::FILE*> pipes;
  for (const std::vector<std::string>& args : runs) pipes.push_back(::popen(Command(args, date, tz).c_str(), "r"));
  std::vector<RunResult> results(runs.size());
  for (std::size_t i = 0; i < runs.size(); ++i) {
    if (pipes[i] == nullptr) continue;
    char buffer[4096];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipes[i])) > 0) results[i].out.append(buffer, got);
    const int status = ::pclose(pipes[i]);
    results[i].status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  for (std::size_t i = 0; i < runs.size(); ++i) {
    if (!RunsWindowsBuild()) continue;
    if (results[i].out.empty() && results[i].status != 124) {
      std::cout << "[   WINE   ] kestrum.exe wrote nothing (status " << results[i].status << "); run again alone\n";
      results[i] = Run(runs[i], date, tz);
    } else {
      results[i].out = FromWindowsConsole(results[i].out);
    }
  }
  return results;
}

int E2eTest::RunKilledAfter(const std::vector<std::string>& args, std::chrono::microseconds delay,
                            std::string_view tz) const {
  const std::string command = Command(args, "", tz) + " >/dev/null 2>&1";
  const pid_t child = ::fork();
  if (child == 0) {
    // A process group of its own, so that the kill reaches the shell's child too.
    ::setpgid(0, 0);
    ::execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  if (child < 0) return -2;
  ::setpgid(child, child);  // whichever of the two runs first
  const auto deadline = std::chrono::steady_clock::now() + delay;
  int status = 0;
  while (std::chrono::steady_clock::now() < deadline) {
    if (::waitpid(child, &status, WNOHANG) == child) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    ::usleep(200);
  }
  ::kill(-child, SIGKILL);
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

RunResult E2eTest::Run(const std::vector<std::string>& args, std::string_view date, std::string_view tz) const {
  const std::string command = Command(args, date, tz);
  if (!RunsWindowsBuild()) return RunShell(command);

  // Now and then, on a loaded machine, wine loses the start of a program: nothing is
  // written, to the console or to a file. Such a run is run again, once, and said so in
  // the test's output. A run that wrote a file or hung still fails; one that crashed
  // before writing anything (the console is written at the end) looks the same as a lost
  // start and is run again, so only a crash that comes back fails its test.
  const Listing before = List();
  RunResult result = RunShell(command);
  if (result.out.empty() && result.status != 124 && List() == before) {
    std::cout << "[   WINE   ] kestrum.exe wrote nothing (status " << result.status << "); run again\n";
    result = RunShell(command);
  }
  result.out = FromWindowsConsole(result.out);
  return result;
}

E2eTest::Listing E2eTest::List() const {
  Listing listing;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(dir_)) {
    const std::string name = std::filesystem::relative(entry.path(), dir_).generic_string();
    listing[entry.is_directory() ? name + "/" : name] = entry.is_regular_file() ? ReadRaw(name) : "";
  }
  return listing;
}

}  // namespace kestrum::e2e
