// A file opened once for reading, read by offset: any number of threads may read parts of
// it at once through the one open file, so all of them read the same file even when its
// name is given to another one meanwhile (a log rotated or replaced while it is read).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace kestrum {

class ReadOnlyFile {
 public:
  ReadOnlyFile() = default;
  ReadOnlyFile(const ReadOnlyFile&) = delete;
  ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;
  ~ReadOnlyFile() { Close(); }

  // Opens the file for reading, closing any file open before; false when it cannot be opened.
  bool Open(const std::string& path);
  void Close();
  bool is_open() const;

  // The open file's size now, when it is a regular file; false for anything else (a pipe,
  // a device), whose size is unknown.
  bool Size(std::uint64_t* size) const;

  // True when the file can be read at any offset; a pipe or a terminal can only be read
  // on, from one thread, and ReadAt then ignores the offset.
  bool seekable() const { return seekable_; }

  // Reads at most `count` bytes from `offset` into buffer: the number read, 0 at the end
  // of the file, -1 when reading failed. Safe on several threads at once for a seekable file.
  std::ptrdiff_t ReadAt(std::uint64_t offset, char* buffer, std::size_t count) const;

 private:
#if defined(_WIN32)
  struct Stream;
  Stream* stream_ = nullptr;
#else
  int descriptor_ = -1;
#endif
  bool seekable_ = false;
};

}  // namespace kestrum
