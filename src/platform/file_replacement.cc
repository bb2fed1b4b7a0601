#include "platform/file_replacement.h"

#include <array>
#include <csignal>
#include <cstdlib>
#include <cstring>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdint>
#include <cwchar>

#include "platform/file_system.h"
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#endif

namespace kestrum {

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
  std::string pattern = FolderOf(target_) + "." + name + ".XXXXXX";
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

bool IsRegularFile(std::FILE* file) {
  struct stat info {};
  return file != nullptr && ::fstat(::fileno(file), &info) == 0 && S_ISREG(info.st_mode);
}

#else  // _WIN32

namespace {

// The final path of the file that path names, symbolic links and junctions followed, so
// that a link keeps pointing where it did; the name itself when it names nothing (yet).
std::wstring FollowLinks(const std::wstring& path) {
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

// The folder part of a path, with its separator (L"" for a bare name or a drive's
// current folder, "C:name", which keeps its "C:").
std::wstring FolderOf(const std::wstring& path) {
  const std::size_t separator = path.find_last_of(L"\\/:");
  return separator == std::wstring::npos ? std::wstring() : path.substr(0, separator + 1);
}

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
  target_ = FollowLinks(*name);
  const std::wstring folder = FolderOf(target_);
  const std::wstring base = target_.substr(folder.size());
  // A name no other run is making: the process and a count, then a clock for the rare
  // name left behind by a process of the same number.
  static unsigned count = 0;
  for (int attempt = 0; attempt < 100; ++attempt) {
    wchar_t suffix[40];
    ::swprintf(suffix, sizeof suffix / sizeof suffix[0], L".%lx.%x.%llx", ::GetCurrentProcessId(), ++count,
               static_cast<unsigned long long>(::GetTickCount64()));
    const std::wstring temp = folder + L"." + base + suffix;
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
    ok = (exists &&
          ::ReplaceFileW(target_.c_str(), temp_.c_str(), nullptr,
                         REPLACEFILE_IGNORE_MERGE_ERRORS | REPLACEFILE_IGNORE_ACL_ERRORS, nullptr, nullptr) != 0) ||
         ::MoveFileExW(temp_.c_str(), target_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
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

bool IsRegularFile(std::FILE* file) {
  if (file == nullptr) return false;
  const HANDLE handle = HandleOf(file);
  BY_HANDLE_FILE_INFORMATION info{};
  return ::GetFileType(handle) == FILE_TYPE_DISK && ::GetFileInformationByHandle(handle, &info) != 0 &&
         (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

#endif

}  // namespace kestrum
