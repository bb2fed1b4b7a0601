// Text-mode files, done the same way on every platform. Reading drops every CR (0x0D)
// wherever it stands and ends the file at the first 0x1A byte; lines are read with a
// size limit, stopping after the newline or when the limit is reached. Writing turns
// each LF into CR LF. Both read and write in large blocks, so memory stays bounded
// whatever the file's length.
#pragma once

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <memory>
#include <string>
#include <string_view>

#include "platform/byte_search.h"
#include "platform/file_replacement.h"
#include "platform/read_only_file.h"
#include "platform/sink.h"

namespace kestrum {

class TextReader {
 public:
  // The size of a read block: the reader never holds more of the file at once.
  static constexpr std::size_t kBlockSize = std::size_t{1} << 18;

  TextReader() = default;
  TextReader(const TextReader&) = delete;
  TextReader& operator=(const TextReader&) = delete;
  ~TextReader() = default;

  // Opens the file for reading; false when it cannot be opened.
  bool Open(const std::string& path);
  // Reads a file opened elsewhere, from its start, by offset: several readers can share
  // one open file, each reading its own part. The file must stay open while it is read.
  void Open(const ReadOnlyFile& file);

  // Goes on reading at the given byte (at most kMaxOffset) of the open file, as if the
  // file began there; false when the file cannot be positioned there.
  bool Seek(std::uint64_t offset);
  static constexpr std::uint64_t kMaxOffset = static_cast<std::uint64_t>(std::numeric_limits<long>::max());

  // The offset in the file of the next byte to be read, CRs dropped or not.
  std::uint64_t position() const { return file_offset_ - (end_ - pos_); }

  // Reads the next line of at most max_chars characters (max_chars >= 1): the line ends
  // after its newline, which it keeps, or when max_chars characters have been taken, or
  // at end of file. The view stays valid until the next call. Answers false at end of file.
  bool ReadLine(std::size_t max_chars, std::string_view* line) {
    const std::size_t limit = pos_ + std::min(end_ - pos_, max_chars);
    return TakeUsualLine(NextBreak(buffer_.get(), pos_, limit, hits_base_, hits_), limit, line) ||
           ReadLineSlowly(max_chars, line);
  }

  // Reads lines as ReadLine(max_chars) does and hands each to take(line, has_nul) (the
  // view valid during the call, which must not use the reader) until the next line would
  // begin at or past the byte `stop` of the file, or the file ends. The pieces of a long
  // line are all read, wherever they begin. Answers true when it stopped at `stop`, false
  // at the end of the file or when reading failed. For a long file this is the quick way:
  // the usual line is cut with the reader's state held in locals.
  template <typename Take>
  bool ReadLinesUntil(std::size_t max_chars, std::uint64_t stop, Take&& take);

  // True when reading failed for another reason than the end of the file.
  bool Failed() const { return failed_; }

 private:
  // The position of the first newline, CR or NUL in [from, limit) of data, or limit; or
  // in a whole 64-byte block, of a tab or another control character before them, which
  // makes the line one for ReadLineSlowly all the same. Lines are shorter than 64 bytes as a rule, so the marks
  // of the 64-byte block that served the previous line (bit i for byte base + i) mostly
  // serve this one too.
  static std::size_t NextBreak(const char* data, std::size_t from, std::size_t limit, std::size_t& base,
                               std::uint64_t& hits) {
    if (from >= base && from - base < 64) {
      const std::uint64_t rest = hits & (~std::uint64_t{0} << (from - base));
      if (rest != 0) return std::min(base + static_cast<std::size_t>(std::countr_zero(rest)), limit);
      from = base + 64;
      if (from >= limit) return limit;
    }
    while (limit - from >= 64) {
      const std::uint64_t mask = BreakMask64(data + from);
      if (mask != 0) {
        base = from;
        hits = mask;
        return from + static_cast<std::size_t>(std::countr_zero(mask));
      }
      from += 64;
    }
    return BreakInTail(data, from, limit);
  }
  // The same for fewer than 64 bytes.
  static std::size_t BreakInTail(const char* data, std::size_t from, std::size_t limit);

  // Where the next line begins when the line up to its first break `at` is a usual one:
  // the break lies within the limit and is a newline, or a CR right before one, which is
  // then overwritten by the newline so that the line can be handed out where it stands.
  // 0 for any other line.
  static std::size_t AfterUsualLine(char* data, std::size_t at, std::size_t limit, std::size_t end) {
    if (at >= limit) return 0;
    if (data[at] == '\n') return at + 1;
    if (data[at] != '\r' || at + 1 >= end || data[at + 1] != '\n') return 0;
    data[at] = '\n';
    return at + 2;
  }
  // ReadLine for a usual line.
  bool TakeUsualLine(std::size_t at, std::size_t limit, std::string_view* line) {
    char* const data = buffer_.get();
    const std::size_t next = AfterUsualLine(data, at, limit, end_);
    if (next == 0) return false;
    *line = std::string_view(data + pos_, at + 1 - pos_);
    pos_ = next;
    has_nul_ = false;
    return true;
  }
  // Everything else: a line across the buffer's end, stray CRs, NULs, tabs and other
  // control bytes, the limit, the end of the file.
  bool ReadLineSlowly(std::size_t max_chars, std::string_view* line);

  // Makes room and reads the next block; answers false when no byte was added.
  bool Refill(std::size_t* start, std::size_t* write);

  static constexpr std::size_t kNoHits = static_cast<std::size_t>(-1);

  // Reset for reading a newly opened file from its start.
  void Restart();

  std::unique_ptr<ReadOnlyFile> own_file_;  // the file opened by Open(path)
  const ReadOnlyFile* file_ = nullptr;
  // The read buffer, left uninitialised: only the bytes read into it are ever looked at.
  std::unique_ptr<char[]> buffer_;
  std::size_t pos_ = 0;
  std::size_t end_ = 0;
  std::uint64_t file_offset_ = 0;  // of the byte after the buffer's last (at end_)
  bool at_end_ = false;
  bool failed_ = false;
  bool has_nul_ = false;
  // The bytes below 0x0E of the 64-byte block at hits_base_ of the buffer, a bit each.
  std::size_t hits_base_ = kNoHits;
  std::uint64_t hits_ = 0;
};

template <typename Take>
bool TextReader::ReadLinesUntil(std::size_t max_chars, std::uint64_t stop, Take&& take) {
  while (true) {
    // Usual lines, ending in a newline (or CR LF) inside the buffer and the limit, are cut
    // here as ReadLine cuts them.
    char* const data = buffer_.get();
    const std::size_t end = end_;
    const std::uint64_t buffer_offset = file_offset_ - end;  // of the buffer's first byte
    // A line beginning at index stop_at or later of the buffer begins at or past stop.
    const std::size_t stop_at =
        stop <= buffer_offset ? 0 : static_cast<std::size_t>(std::min<std::uint64_t>(stop - buffer_offset, end + 1));
    std::size_t pos = pos_;
    std::size_t base = hits_base_;
    std::uint64_t hits = hits_;
    while (pos < stop_at) {
      const std::size_t limit = pos + std::min(end - pos, max_chars);
      const std::size_t at = NextBreak(data, pos, limit, base, hits);
      const std::size_t next = AfterUsualLine(data, at, limit, end);
      if (next == 0) break;
      take(std::string_view(data + pos, at + 1 - pos), false);
      pos = next;
    }
    pos_ = pos;
    hits_base_ = base;
    hits_ = hits;
    has_nul_ = false;
    if (pos >= stop_at) return true;
    // Any other line, with every further piece of it: across the buffer's end, with a
    // stray CR, a NUL or another control byte, cut at the limit; or none at the end of
    // the file.
    std::string_view line;
    do {
      if (!ReadLineSlowly(max_chars, &line)) return false;
      take(line, has_nul_);
    } while (line.back() != '\n');
  }
}

// A file written in text mode, or with its bytes as they are (a web page). Errors are
// remembered, never thrown; Close() tells whether every byte reached the file.
class TextWriter : public Sink {
 public:
  enum class Mode {
    kTruncate,  // created, or emptied if it exists
    kAppend,    // appended to, created if missing
    kReplace,   // written beside the file and put in its place by a successful Close()
    // As kReplace, the file's bytes as they are copied first: appended to as a whole.
    kAppendWhole,
  };
  enum class LineEnds {
    kCrLf,  // each LF written as CR LF: text mode
    kLf,    // every byte as it is, on every platform
  };

  TextWriter() = default;
  TextWriter(const TextWriter&) = delete;
  TextWriter& operator=(const TextWriter&) = delete;
  // Closes the file; a replacement that was not closed is abandoned, never put in place.
  ~TextWriter() override;

  // Opens the file in the mode given; false when it cannot be opened. A replacement that
  // cannot be made beside the file (its folder refuses a new file, or the file cannot be
  // read to be copied) writes it in place: emptied, or appended to.
  bool Open(const std::string& path, Mode mode, LineEnds line_ends = LineEnds::kCrLf);
  bool is_open() const { return file_ != nullptr; }
  // True when the open file is a regular file, which a replacement can stand in for.
  bool is_regular_file() const { return IsRegularFile(file_); }

  void Write(std::string_view bytes) override;

  // Writes out what is buffered and closes the file, putting a replacement in place only
  // when all of it was written. False when any write, the close or the replacement
  // failed (the old file then stays); a writer that was never opened closes successfully.
  bool Close();

 private:
  void WritePending();
  // Copies the bytes of the open file `from` to the end of this one.
  void CopyFrom(std::FILE* from);

  std::FILE* file_ = nullptr;  // owned by replacement_ when there is one
  std::unique_ptr<FileReplacement> replacement_;
  std::string pending_;
  bool failed_ = false;
  bool crlf_ = true;
};

}  // namespace kestrum
