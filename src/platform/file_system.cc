#include "platform/file_system.h"

#include <sys/stat.h>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <chrono>
#include <cstdint>
#include <string_view>
#include <thread>
#endif

namespace kestrum {

#if defined(_WIN32)

std::optional<std::wstring> WideFileName(const std::string& path) {
  if (path.empty()) return std::wstring();
  if (path.size() > 32767 || path.find('\0') != std::string::npos) return std::nullopt;
  const int size = static_cast<int>(path.size());
  const int wide_size = ::MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, path.data(), size, nullptr, 0);
  if (wide_size <= 0) return std::nullopt;
  std::wstring wide(static_cast<std::size_t>(wide_size), L'\0');
  if (::MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, path.data(), size, wide.data(), wide_size) != wide_size) {
    return std::nullopt;
  }
  return wide;
}

std::wstring FinalPathOf(const std::wstring& path) {
  const HANDLE file = ::CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return path;
  std::wstring final_path(MAX_PATH, L'\0');
  DWORD size = ::GetFinalPathNameByHandleW(file, final_path.data(), static_cast<DWORD>(final_path.size()),
                                           FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  if (size >= final_path.size()) {
    final_path.resize(size + 1);
    size = ::GetFinalPathNameByHandleW(file, final_path.data(), static_cast<DWORD>(final_path.size()),
                                       FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  }
  ::CloseHandle(file);
  if (size == 0 || size >= final_path.size()) return path;
  final_path.resize(size);
  return final_path;
}

std::wstring FolderOf(const std::wstring& path) {
  const std::size_t separator = path.find_last_of(L"\\/:");
  return separator == std::wstring::npos ? std::wstring() : path.substr(0, separator + 1);
}

std::FILE* OpenFile(const std::string& path, const char* mode) {
  const std::optional<std::wstring> name = WideFileName(path);
  if (!name) return nullptr;
  const std::string_view how(mode);
  DWORD access = GENERIC_WRITE;
  DWORD disposition = OPEN_ALWAYS;
  int flags = _O_WRONLY | _O_APPEND | _O_BINARY;
  if (how == "rb") {
    access = GENERIC_READ;
    disposition = OPEN_EXISTING;
    flags = _O_RDONLY | _O_BINARY;
  } else if (how == "wb") {
    disposition = CREATE_ALWAYS;
    flags = _O_WRONLY | _O_BINARY;
  } else if (how != "ab") {
    return nullptr;
  }
  // Shared for deleting too, so that a replacement can be put in the file's place while
  // it is open here (as another run checks it). A file that another process holds
  // without sharing for a moment, as while its replacement is put in place, is tried
  // again for a second at most.
  constexpr int kBusyAttempts = 20;
  constexpr std::chrono::milliseconds kBusyPause{50};
  for (int attempt = 0;; ++attempt) {
    const HANDLE file = ::CreateFileW(name->c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
      if (attempt == kBusyAttempts || ::GetLastError() != ERROR_SHARING_VIOLATION) return nullptr;
      std::this_thread::sleep_for(kBusyPause);
      continue;
    }
    const int fd = ::_open_osfhandle(reinterpret_cast<std::intptr_t>(file), flags);
    if (fd < 0) {
      ::CloseHandle(file);
      return nullptr;
    }
    std::FILE* const stream = ::_fdopen(fd, mode);
    if (stream == nullptr) ::_close(fd);
    return stream;
  }
}

std::optional<std::uint64_t> FileSize(const std::string& path) {
  const std::optional<std::wstring> name = WideFileName(path);
  struct _stat64 info {};
  if (!name || ::_wstat64(name->c_str(), &info) != 0 || (info.st_mode & _S_IFMT) != _S_IFREG) return std::nullopt;
  return static_cast<std::uint64_t>(info.st_size);
}

#else

std::FILE* OpenFile(const std::string& path, const char* mode) { return std::fopen(path.c_str(), mode); }

std::optional<std::uint64_t> FileSize(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
  return static_cast<std::uint64_t>(info.st_size);
}

#endif

}  // namespace kestrum
