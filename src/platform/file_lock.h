// One writer at a time for a file that is replaced by rename. On POSIX systems the lock
// is an advisory lock (flock) on the file itself: since a replacement puts a new file
// under the name, a run that got the lock checks that the name still leads to the file it
// locked, and locks the new one if not. On Windows, where a file that another process
// holds open cannot be replaced, it is a lock file beside the file, ".<name>.kestrum-lock",
// hidden and empty, that one process at a time can have open and that is removed when it
// is closed. Either lock goes with its process, however that ends. Waiting is polling, so
// that it keeps to its bound on every system.
#pragma once

#include <chrono>
#include <functional>
#include <string>

namespace kestrum {

class FileLock {
 public:
  enum class Result {
    kHeld,         // this process holds the lock until Unlock()
    kTimedOut,     // another holder kept it for the whole bound
    kUnavailable,  // no lock can be had here (the file cannot be opened, the file system
                   // has no locks, the folder takes no lock file): write without one
  };

  FileLock() = default;
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;
  ~FileLock() { Unlock(); }

  // Takes the lock for writing the regular file that path leads to (the target of a
  // symbolic link), creating a missing file empty on POSIX. While another holds it, waits
  // at most `bound`, calling on_wait once before the first wait.
  Result Lock(const std::string& path, std::chrono::milliseconds bound, const std::function<void()>& on_wait);

  void Unlock();

 private:
#if defined(_WIN32)
  void* handle_ = nullptr;  // the open lock file
#else
  int fd_ = -1;  // the locked file
#endif
};

}  // namespace kestrum
