// Replacing a file whole: the new content is written to a temporary file beside the one it
// replaces (the target of a symbolic link), ".<name>.kestrum-" and six letters or digits,
// flushed to disk and renamed over it only when complete, so that a failed or killed run
// never leaves half a file under the name. A temporary file is removed on failure, and
// also when the process is ended by SIGINT, SIGTERM or SIGHUP while one is open; on
// Windows it is marked for removal while it is open, so that it goes however the process
// ends. One left by a process killed outright is removed by RemoveLeftovers.
#pragma once

#include <cstdio>
#include <optional>
#include <string>

namespace kestrum {

class FileReplacement {
 public:
  FileReplacement() = default;
  FileReplacement(const FileReplacement&) = delete;
  FileReplacement& operator=(const FileReplacement&) = delete;
  ~FileReplacement() { Abandon(); }

  // Creates the temporary file for replacing the regular file that path leads to (or
  // that it will name); false when none can be made there (say, the folder is not
  // writable), and nothing then exists to clean up.
  bool Begin(const std::string& path);

  // The open temporary file, to write the new content into.
  std::FILE* file() const { return file_; }

  // Flushes the temporary file to disk, gives it the permission bits (and, where
  // allowed, the owner) of the file it replaces, and renames it over that file; on
  // Windows the replaced file's attributes and access rights stay with the name. False
  // when any step failed: the temporary file is then removed and the old file stays.
  bool Commit();

  // Closes and removes the temporary file, if any.
  void Abandon();

  // Removes the temporary files that replacements of the file that path leads to have
  // left behind: regular files named exactly by the pattern above for that name, and no
  // other. Only for a caller that keeps every other writer of the file away meanwhile.
  static void RemoveLeftovers(const std::string& path);

 private:
  std::FILE* file_ = nullptr;
#if defined(_WIN32)
  std::wstring target_;
  std::wstring temp_;
  bool marked_ = false;  // the open file goes when its handle closes
#else
  std::string target_;
  std::string temp_;
  int slot_ = -1;  // in the table of temporary files that a signal removes
#endif
};

// True when the open file is a regular file (not a device, a pipe or a socket).
bool IsRegularFile(std::FILE* file);

}  // namespace kestrum
