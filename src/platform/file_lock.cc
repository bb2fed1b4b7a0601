#include "platform/file_lock.h"

#include <algorithm>
#include <thread>

#if defined(_WIN32)
#include <windows.h>

#include <optional>

#include "platform/file_system.h"
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace kestrum {

namespace {

// How often a waiting run looks again: often enough that runs that overlap follow one
// another closely, seldom enough to cost nothing.
constexpr std::chrono::milliseconds kPollInterval{100};

// Waits for the next attempt; false when the bound has passed.
bool WaitOnce(std::chrono::steady_clock::time_point deadline, bool& waited, const std::function<void()>& on_wait) {
  if (!waited) {
    waited = true;
    if (on_wait) on_wait();
  }
  const auto now = std::chrono::steady_clock::now();
  if (now >= deadline) return false;
  std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(kPollInterval, deadline - now));
  return true;
}

}  // namespace

#if !defined(_WIN32)

namespace {

// Opens the file to lock it, creating it empty when missing: for reading and writing,
// which a lock over NFS needs (it becomes a lock of a byte range there), else as its
// rights allow. Never blocks on a FIFO.
int OpenToLock(const std::string& path) {
  constexpr int kFlags = O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
  int fd = ::open(path.c_str(), O_RDWR | kFlags, 0666);
  if (fd < 0 && errno == EACCES) fd = ::open(path.c_str(), O_WRONLY | kFlags, 0666);
  if (fd < 0 && errno == EACCES) fd = ::open(path.c_str(), O_RDONLY | kFlags, 0666);
  return fd;
}

}  // namespace

FileLock::Result FileLock::Lock(const std::string& path, std::chrono::milliseconds bound,
                                const std::function<void()>& on_wait) {
  Unlock();
  const auto deadline = std::chrono::steady_clock::now() + bound;
  bool waited = false;
  int fd = -1;
  while (true) {
    if (fd < 0) {
      fd = OpenToLock(path);
      if (fd < 0) return Result::kUnavailable;
      struct stat info {};
      if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return Result::kUnavailable;
      }
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
      // The holder before may have put a new file under the name and let go of the old
      // one, which this lock is then on: the lock counts only on the file that the name
      // leads to now.
      struct stat locked {};
      struct stat named {};
      if (::fstat(fd, &locked) == 0 && ::stat(path.c_str(), &named) == 0 && named.st_dev == locked.st_dev &&
          named.st_ino == locked.st_ino) {
        fd_ = fd;
        return Result::kHeld;
      }
      ::close(fd);
      fd = -1;
      continue;
    }
    if (errno != EWOULDBLOCK) {
      ::close(fd);
      return Result::kUnavailable;
    }
    if (!WaitOnce(deadline, waited, on_wait)) {
      ::close(fd);
      return Result::kTimedOut;
    }
  }
}

void FileLock::Unlock() {
  if (fd_ >= 0) ::close(fd_);  // closing the only descriptor of the open file lets go of its lock
  fd_ = -1;
}

#else  // _WIN32

FileLock::Result FileLock::Lock(const std::string& path, std::chrono::milliseconds bound,
                                const std::function<void()>& on_wait) {
  Unlock();
  const std::optional<std::wstring> name = WideFileName(path);
  if (!name || name->empty()) return Result::kUnavailable;
  const std::wstring target = FinalPathOf(*name);
  const std::wstring folder = FolderOf(target);
  const std::wstring lock_name = folder + L"." + target.substr(folder.size()) + L".kestrum-lock";
  const auto deadline = std::chrono::steady_clock::now() + bound;
  bool waited = false;
  while (true) {
    // Not shared: while one process has it open, no other can open it. It goes with its
    // handle, which the system closes however the process ends; one that a power cut
    // left is simply opened again.
    const HANDLE file =
        ::CreateFileW(lock_name.c_str(), GENERIC_READ | DELETE, 0, nullptr, OPEN_ALWAYS,
                      FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      handle_ = file;
      return Result::kHeld;
    }
    // Open elsewhere, or closed by its holder while something else still looks at it
    // (then it cannot be opened until that lets go, but it still has its name).
    const DWORD error = ::GetLastError();
    const bool busy =
        error == ERROR_SHARING_VIOLATION ||
        (error == ERROR_ACCESS_DENIED && ::GetFileAttributesW(lock_name.c_str()) != INVALID_FILE_ATTRIBUTES);
    if (!busy) return Result::kUnavailable;
    if (!WaitOnce(deadline, waited, on_wait)) return Result::kTimedOut;
  }
}

void FileLock::Unlock() {
  if (handle_ != nullptr) ::CloseHandle(static_cast<HANDLE>(handle_));
  handle_ = nullptr;
}

#endif

}  // namespace kestrum
