#include "platform/read_only_file.h"

#include <cerrno>
#include <limits>

#if !defined(_WIN32)
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#else
#include <cstdio>
#include <mutex>

#include "platform/file_system.h"
#endif

namespace kestrum {

#if !defined(_WIN32)

bool ReadOnlyFile::Open(const std::string& path) {
  Close();
  do {
    descriptor_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  } while (descriptor_ < 0 && errno == EINTR);
  if (descriptor_ < 0) return false;
  seekable_ = ::lseek(descriptor_, 0, SEEK_CUR) >= 0;
  return true;
}

void ReadOnlyFile::Close() {
  if (descriptor_ >= 0) ::close(descriptor_);
  descriptor_ = -1;
  seekable_ = false;
}

bool ReadOnlyFile::is_open() const { return descriptor_ >= 0; }

bool ReadOnlyFile::Size(std::uint64_t* size) const {
  struct stat status {};
  if (descriptor_ < 0 || ::fstat(descriptor_, &status) != 0 || !S_ISREG(status.st_mode) || status.st_size < 0) {
    return false;
  }
  *size = static_cast<std::uint64_t>(status.st_size);
  return true;
}

std::ptrdiff_t ReadOnlyFile::ReadAt(std::uint64_t offset, char* buffer, std::size_t count) const {
  if (descriptor_ < 0) return -1;
  if (count > static_cast<std::size_t>(std::numeric_limits<std::ptrdiff_t>::max())) {
    count = static_cast<std::size_t>(std::numeric_limits<std::ptrdiff_t>::max());
  }
  if (seekable_ && offset > static_cast<std::uint64_t>(std::numeric_limits<off_t>::max())) return -1;
  while (true) {
    const ssize_t got = seekable_ ? ::pread(descriptor_, buffer, count, static_cast<off_t>(offset))
                                  : ::read(descriptor_, buffer, count);
    if (got >= 0) return got;
    if (errno != EINTR) return -1;
  }
}

#else  // _WIN32: one stream, positioned and read under a lock, until a native port reads by offset.

struct ReadOnlyFile::Stream {
  std::FILE* file = nullptr;
  std::mutex mutex;
};

bool ReadOnlyFile::Open(const std::string& path) {
  Close();
  // By the same name conversion as every other file of the run.
  std::FILE* file = OpenFile(path, "rb");
  if (file == nullptr) return false;
  stream_ = new Stream;
  stream_->file = file;
  seekable_ = _fseeki64(file, 0, SEEK_SET) == 0;
  return true;
}

void ReadOnlyFile::Close() {
  if (stream_ != nullptr) {
    std::fclose(stream_->file);
    delete stream_;
  }
  stream_ = nullptr;
  seekable_ = false;
}

bool ReadOnlyFile::is_open() const { return stream_ != nullptr; }

bool ReadOnlyFile::Size(std::uint64_t* size) const {
  if (stream_ == nullptr || !seekable_) return false;
  const std::lock_guard lock(stream_->mutex);
  const long long here = _ftelli64(stream_->file);
  if (here < 0 || _fseeki64(stream_->file, 0, SEEK_END) != 0) return false;
  const long long end = _ftelli64(stream_->file);
  _fseeki64(stream_->file, here, SEEK_SET);
  if (end < 0) return false;
  *size = static_cast<std::uint64_t>(end);
  return true;
}

std::ptrdiff_t ReadOnlyFile::ReadAt(std::uint64_t offset, char* buffer, std::size_t count) const {
  if (stream_ == nullptr) return -1;
  const std::lock_guard lock(stream_->mutex);
  if (seekable_ && (offset > static_cast<std::uint64_t>(std::numeric_limits<long long>::max()) ||
                    _fseeki64(stream_->file, static_cast<long long>(offset), SEEK_SET) != 0)) {
    return -1;
  }
  const std::size_t got = std::fread(buffer, 1, count, stream_->file);
  if (got == 0 && std::ferror(stream_->file)) return -1;
  return static_cast<std::ptrdiff_t>(got);
}

#endif

}  // namespace kestrum
