#include "platform/file_replacement.h"

#include <array>
#include <atomic>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <string_view>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <chrono>
#include <cstdint>
#include <thread>

#include "platform/file_system.h"
#else
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#endif

namespace kestrum {

namespace {

// A temporary file is named ".<name>" + kTempInfix + kTempSuffixSize letters or digits.
constexpr std::string_view kTempInfix = ".kestrum-";
constexpr std::size_t kTempSuffixSize = 6;

bool IsAsciiLetterOrDigit(wchar_t c) {
  return (c >= L'0' && c <= L'9') || (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z');
}

// True when name is that of a temporary file whose name begins with prefix
// (".<name>.kestrum-").
template <typename Char>
bool IsTempName(std::basic_string_view<Char> name, std::basic_string_view<Char> prefix) {
  if (name.size() != prefix.size() + kTempSuffixSize || name.substr(0, prefix.size()) != prefix) return false;
  for (const Char c : name.substr(prefix.size())) {
    if (!IsAsciiLetterOrDigit(static_cast<wchar_t>(c))) return false;
  }
  return true;
}

}  // namespace

#if !defined(_WIN32)

namespace {

// The temporary files open now, for the signal handler to remove: fixed slots of plain
// characters, since a handler may not allocate or take locks.
constexpr int kTempSlots = 16;
constexpr std::size_t kTempPathSize = PATH_MAX + 32;
std::array<std::array<char, kTempPathSize>, kTempSlots> temp_paths;
std::array<volatile std::sig_atomic_t, kTempSlots> temp_in_use{};
constexpr int kCleanedSignals[] = {SIGINT, SIGTERM, SIGHUP};

extern "C" void RemoveTempFilesAndDie(int signal_number) {
  for (int i = 0; i < kTempSlots; ++i) {
    if (temp_in_use[i] != 0) ::unlink(temp_paths[i].data());
  }
  // The handler was installed to run once: the signal now takes its usual course.
  ::raise(signal_number);
}

void InstallCleanUpHandlers() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  for (const int signal_number : kCleanedSignals) {
    struct sigaction current {};
    if (::sigaction(signal_number, nullptr, &current) != 0 || current.sa_handler == SIG_IGN) continue;
    struct sigaction action {};
    action.sa_handler = RemoveTempFilesAndDie;
    action.sa_flags = SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    ::sigaction(signal_number, &action, nullptr);
  }
}

// Takes a slot for a temporary file's path; -1 when all are taken (the file is then
// only removed by the run itself).
int RegisterTemp(const std::string& path) {
  if (path.size() >= kTempPathSize) return -1;
  for (int i = 0; i < kTempSlots; ++i) {
    if (temp_in_use[i] == 0) {
      std::memcpy(temp_paths[i].data(), path.c_str(), path.size() + 1);
      // The handler reads the path once the slot is marked, never before.
      std::atomic_signal_fence(std::memory_order_seq_cst);
      temp_in_use[i] = 1;
      return i;
    }
  }
  return -1;
}

void ReleaseTemp(int slot) {
  if (slot >= 0) temp_in_use[slot] = 0;
}

// The path that `path` leads to once symbolic links are followed, so that a link keeps
// pointing where it did; the path itself when it leads nowhere (yet).
std::string FollowLinks(const std::string& path) {
  char resolved[PATH_MAX];
  if (::realpath(path.c_str(), resolved) != nullptr) return resolved;
  return path;
}

// The folder part of a path, with its slash ("" for a bare name).
std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

}  // namespace

bool FileReplacement::Begin(const std::string& path) {
  Abandon();
  target_ = FollowLinks(path);
  const std::size_t slash = target_.rfind('/');
  const std::string name = slash == std::string::npos ? target_ : target_.substr(slash + 1);
  std::string pattern = FolderOf(target_) + "." + name + std::string(kTempInfix) + "XXXXXX";
  InstallCleanUpHandlers();
  // mkstemp fills in the name in its slot before it creates the file, so that no moment
  // passes in which a signal could leave the file behind.
  slot_ = RegisterTemp(pattern);
  char* const name_buffer = slot_ >= 0 ? temp_paths[slot_].data() : pattern.data();
  const int fd = ::mkstemp(name_buffer);
  if (fd < 0) {
    ReleaseTemp(slot_);
    slot_ = -1;
    return false;
  }
  temp_ = name_buffer;
  file_ = ::fdopen(fd, "wb");
  if (file_ == nullptr) {
    ::close(fd);
    Abandon();
    return false;
  }
  return true;
}

bool FileReplacement::Commit() {
  if (file_ == nullptr) return false;
  bool ok = std::fflush(file_) == 0;
  const int fd = ::fileno(file_);
  struct stat old {};
  if (::stat(target_.c_str(), &old) == 0) {
    ok = ok && ::fchmod(fd, old.st_mode & 07777) == 0;
    // Root gives the file back to its owner; anyone else keeps their own, so a refusal
    // here is no failure.
    const int owned = ::fchown(fd, old.st_uid, old.st_gid);
    static_cast<void>(owned);
  } else {
    // A file that is gone takes the bits a new file gets.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ok = ok && ::fchmod(fd, 0666 & ~mask) == 0;
  }
  ok = ok && ::fsync(fd) == 0;
  const bool closed = std::fclose(file_) == 0;
  file_ = nullptr;
  ok = ok && closed && ::rename(temp_.c_str(), target_.c_str()) == 0;
  if (!ok) {
    Abandon();
    return false;
  }
  ReleaseTemp(slot_);
  slot_ = -1;
  temp_.clear();
  // The rename itself reaches the disk with the folder.
  const std::string folder = FolderOf(target_);
  const int dir = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  return true;
}

void FileReplacement::Abandon() {
  if (file_ != nullptr) {
    std::fclose(file_);
    file_ = nullptr;
  }
  if (!temp_.empty()) {
    ::unlink(temp_.c_str());
    temp_.clear();
  }
  ReleaseTemp(slot_);
  slot_ = -1;
}

void FileReplacement::RemoveLeftovers(const std::string& path) {
  const std::string target = FollowLinks(path);
  const std::string folder = FolderOf(target);
  const std::string prefix = "." + target.substr(folder.size()) + std::string(kTempInfix);
  DIR* const dir = ::opendir(folder.empty() ? "." : folder.c_str());
  if (dir == nullptr) return;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string_view name = entry->d_name;
    if (!IsTempName(name, std::string_view(prefix))) continue;
    const std::string leftover = folder + std::string(name);
    struct stat info {};
    if (::lstat(leftover.c_str(), &info) == 0 && S_ISREG(info.st_mode)) ::unlink(leftover.c_str());
  }
  ::closedir(dir);
}

bool IsRegularFile(std::FILE* file) {
  struct stat info {};
  return file != nullptr && ::fstat(::fileno(file), &info) == 0 && S_ISREG(info.st_mode);
}

#else  // _WIN32

namespace {

// How often, and after how long a pause, a file that is busy for a while is tried again:
// for up to ten seconds, long enough for another run's check, a reader that copies the
// report, or a scanner that looks at the new file, which would hold the only copy once
// the old one is gone.
constexpr int kBusyAttempts = 200;
constexpr std::chrono::milliseconds kBusyPause{50};

// Marks an open file to be removed when its last handle closes, or takes the mark back.
bool MarkForRemoval(HANDLE file, bool remove) {
  FILE_DISPOSITION_INFO disposition{};
  disposition.DeleteFile = remove ? TRUE : FALSE;
  return ::SetFileInformationByHandle(file, FileDispositionInfo, &disposition, sizeof disposition) != 0;
}

HANDLE HandleOf(std::FILE* file) { return reinterpret_cast<HANDLE>(::_get_osfhandle(::_fileno(file))); }

}  // namespace

bool FileReplacement::Begin(const std::string& path) {
  Abandon();
  const std::optional<std::wstring> name = WideFileName(path);
  if (!name || name->empty()) return false;
  target_ = FinalPathOf(*name);
  const std::wstring folder = FolderOf(target_);
  const std::wstring base = target_.substr(folder.size());
  // A name no other run is making: letters and digits drawn from the process, a count
  // and the clock; a name that exists already is passed over.
  static unsigned count = 0;
  for (int attempt = 0; attempt < 100; ++attempt) {
    constexpr std::wstring_view kDigits = L"0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    std::uint64_t mix = ((std::uint64_t{::GetCurrentProcessId()} << 32) ^ ++count) * 0x9E3779B97F4A7C15U ^
                        static_cast<std::uint64_t>(::GetTickCount64()) * 0xBF58476D1CE4E5B9U;
    std::wstring temp = folder + L"." + base + std::wstring(kTempInfix.begin(), kTempInfix.end());
    for (std::size_t i = 0; i < kTempSuffixSize; ++i, mix /= kDigits.size()) temp += kDigits[mix % kDigits.size()];
    // While it is open the file is marked for removal, so that it goes however the
    // process ends, killed or not; the mark is taken back only to put it in place.
    const HANDLE file = ::CreateFileW(temp.c_str(), GENERIC_WRITE | DELETE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                      nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
      if (::GetLastError() == ERROR_FILE_EXISTS) continue;
      return false;
    }
    temp_ = temp;
    const int fd = ::_open_osfhandle(reinterpret_cast<std::intptr_t>(file), _O_BINARY | _O_WRONLY);
    if (fd < 0) {
      ::CloseHandle(file);
      ::DeleteFileW(temp.c_str());
      temp_.clear();
      return false;
    }
    file_ = ::_fdopen(fd, "wb");
    if (file_ == nullptr) {
      ::_close(fd);
      Abandon();
      return false;
    }
    marked_ = MarkForRemoval(file, true);
    return true;
  }
  return false;
}

bool FileReplacement::Commit() {
  if (file_ == nullptr) return false;
  const HANDLE handle = HandleOf(file_);
  bool ok = std::fflush(file_) == 0 && ::FlushFileBuffers(handle) != 0;
  ok = ok && (!marked_ || MarkForRemoval(handle, false));
  if (ok) marked_ = false;
  const bool closed = std::fclose(file_) == 0;
  file_ = nullptr;
  ok = ok && closed;
  if (ok) {
    // An existing file is replaced keeping its access rights and creation time, as
    // Windows does for a document saved over; a new one is moved in. The attributes
    // hidden, system and not-indexed are given back here, since not every system's
    // replacement keeps them (archive stays set: the content is new); a failure to do
    // so leaves the new content in place.
    const DWORD attributes = ::GetFileAttributesW(target_.c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    // A file that another process has open cannot be replaced: one that opens it for a
    // while, as another run that checks it does, is waited for, ten seconds at most.
    for (int attempt = 0;; ++attempt) {
      ok = (exists &&
            ::ReplaceFileW(target_.c_str(), temp_.c_str(), nullptr,
                           REPLACEFILE_IGNORE_MERGE_ERRORS | REPLACEFILE_IGNORE_ACL_ERRORS, nullptr, nullptr) != 0) ||
           ::MoveFileExW(temp_.c_str(), target_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
      const DWORD error = ::GetLastError();
      if (ok || attempt == kBusyAttempts || (error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION)) break;
      std::this_thread::sleep_for(kBusyPause);
    }
    constexpr DWORD kKept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    const DWORD now = ok && exists ? ::GetFileAttributesW(target_.c_str()) : INVALID_FILE_ATTRIBUTES;
    if (now != INVALID_FILE_ATTRIBUTES && (now & kKept) != (attributes & kKept)) {
      ::SetFileAttributesW(target_.c_str(), (now & ~kKept) | (attributes & kKept));
    }
  }
  if (!ok) {
    Abandon();
    return false;
  }
  temp_.clear();
  return true;
}

void FileReplacement::Abandon() {
  if (file_ != nullptr) {
    std::fclose(file_);  // a file still marked goes with its handle
    file_ = nullptr;
  }
  if (!temp_.empty()) {
    ::DeleteFileW(temp_.c_str());
    temp_.clear();
  }
  marked_ = false;
}

void FileReplacement::RemoveLeftovers(const std::string& path) {
  const std::optional<std::wstring> name = WideFileName(path);
  if (!name || name->empty()) return;
  const std::wstring target = FinalPathOf(*name);
  const std::wstring folder = FolderOf(target);
  const std::wstring prefix = L"." + target.substr(folder.size()) + std::wstring(kTempInfix.begin(), kTempInfix.end());
  WIN32_FIND_DATAW found{};
  const HANDLE search = ::FindFirstFileW((folder + prefix + L"*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    constexpr DWORD kNotPlainFile = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;
    if ((found.dwFileAttributes & kNotPlainFile) == 0 &&
        IsTempName(std::wstring_view(found.cFileName), std::wstring_view(prefix))) {
      ::DeleteFileW((folder + found.cFileName).c_str());
    }
  } while (::FindNextFileW(search, &found) != 0);
  ::FindClose(search);
}

bool IsRegularFile(std::FILE* file) {
  if (file == nullptr) return false;
  const HANDLE handle = HandleOf(file);
  BY_HANDLE_FILE_INFORMATION info{};
  return ::GetFileType(handle) == FILE_TYPE_DISK && ::GetFileInformationByHandle(handle, &info) != 0 &&
         (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

#endif

}  // namespace kestrum
