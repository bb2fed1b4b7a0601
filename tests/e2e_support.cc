#include "e2e_support.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>

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

}  // namespace

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
  std::ifstream in(Path(name), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> E2eTest::Names() const {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir_)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

RunResult E2eTest::Run(const std::vector<std::string>& args, std::string_view date, std::string_view tz) const {
  std::string command = "cd " + ShellQuote(dir_.string()) + " && " + shell_setup_ + "TZ=" + ShellQuote(tz) +
                        " ASAN_OPTIONS=verify_asan_link_order=0 ";
  if (!date.empty()) command += "faketime " + ShellQuote(date) + " ";
  command += ShellQuote(KESTRUM_BINARY);
  for (const std::string& arg : args) command += " " + ShellQuote(arg);
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

}  // namespace kestrum::e2e
