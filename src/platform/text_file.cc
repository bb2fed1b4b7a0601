#include "platform/text_file.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

#include "platform/file_system.h"

namespace kestrum {

namespace {

constexpr std::size_t kWriteBlock = 1 << 16;

}  // namespace

bool TextReader::Open(const std::string& path) {
  if (!own_file_) own_file_ = std::make_unique<ReadOnlyFile>();
  file_ = nullptr;
  if (!own_file_->Open(path)) return false;
  file_ = own_file_.get();
  Restart();
  return true;
}

void TextReader::Open(const ReadOnlyFile& file) {
  if (own_file_) own_file_->Close();
  file_ = &file;
  Restart();
}

void TextReader::Restart() {
  if (!buffer_) buffer_ = std::make_unique_for_overwrite<char[]>(kBlockSize);
  pos_ = end_ = 0;
  file_offset_ = 0;
  hits_base_ = kNoHits;
  at_end_ = failed_ = false;
}

bool TextReader::Seek(std::uint64_t offset) {
  if (file_ == nullptr || !file_->is_open() || !file_->seekable() || offset > kMaxOffset) return false;
  pos_ = end_ = 0;
  file_offset_ = offset;
  hits_base_ = kNoHits;
  at_end_ = failed_ = false;
  return true;
}

bool TextReader::Refill(std::size_t* start, std::size_t* write) {
  if (at_end_ || file_ == nullptr) return false;
  // Keep the part of the line collected so far; it is at most one line long.
  hits_base_ = kNoHits;  // the buffer's bytes are about to move
  const std::size_t kept = *write - *start;
  if (*start != 0) std::memmove(buffer_.get(), buffer_.get() + *start, kept);
  *start = 0;
  *write = kept;
  pos_ = end_ = kept;
  const std::ptrdiff_t read = file_->ReadAt(file_offset_, buffer_.get() + end_, kBlockSize - end_);
  if (read <= 0) {
    if (read < 0) failed_ = true;
    at_end_ = true;
    return false;
  }
  const auto got = static_cast<std::size_t>(read);
  file_offset_ += got;
  // A 0x1A byte ends the file: nothing after it is ever read.
  if (const void* eof = std::memchr(buffer_.get() + end_, 0x1A, got)) {
    const std::size_t eof_at = static_cast<std::size_t>(static_cast<const char*>(eof) - buffer_.get());
    file_offset_ -= end_ + got - eof_at;
    end_ = eof_at;
    at_end_ = true;
    return end_ > kept;
  }
  end_ += got;
  return true;
}

std::size_t TextReader::BreakInTail(const char* data, std::size_t from, std::size_t limit) {
  return static_cast<std::size_t>(FindLineBreak(data + from, data + limit) - data);
}

bool TextReader::ReadLineSlowly(std::size_t max_chars, std::string_view* line) {
  if (max_chars == 0 || file_ == nullptr) return false;
  char* const data = buffer_.get();
  has_nul_ = false;

  std::size_t start = pos_;
  std::size_t write = pos_;  // CRs are dropped by moving the line's bytes down in place
  std::size_t read = pos_;
  bool done = false;
  while (!done) {
    if (read == end_) {
      pos_ = read;  // Refill moves the collected bytes and tells where reading resumes
      const bool more = Refill(&start, &write);
      read = pos_;
      if (!more) break;
    }
    const std::size_t room = max_chars - (write - start);
    const std::size_t limit = std::min(end_, read + room);
    const char* newline = static_cast<const char*>(std::memchr(data + read, '\n', limit - read));
    const std::size_t stop = newline != nullptr ? static_cast<std::size_t>(newline - data) + 1 : limit;
    const char* cr = static_cast<const char*>(std::memchr(data + read, '\r', stop - read));
    const std::size_t take = cr != nullptr ? static_cast<std::size_t>(cr - data) - read : stop - read;
    if (write != read && take != 0) std::memmove(data + write, data + read, take);
    write += take;
    read += take;
    if (cr != nullptr) {
      ++read;  // drop the CR; the line may now take one more character
      continue;
    }
    done = newline != nullptr || write - start == max_chars;
  }
  pos_ = read;
  if (write == start) return false;
  *line = std::string_view(data + start, write - start);
  has_nul_ = std::memchr(line->data(), '\0', line->size()) != nullptr;
  return true;
}

TextWriter::~TextWriter() {
  if (replacement_) {
    file_ = nullptr;
    replacement_.reset();
  }
  Close();
}

bool TextWriter::Open(const std::string& path, Mode mode, LineEnds line_ends) {
  Close();
  failed_ = false;
  crlf_ = line_ends == LineEnds::kCrLf;
  const bool appends = mode == Mode::kAppend || mode == Mode::kAppendWhole;
  if (mode == Mode::kReplace || mode == Mode::kAppendWhole) {
    std::FILE* const old = mode == Mode::kAppendWhole ? OpenFile(path, "rb") : nullptr;
    auto replacement = std::make_unique<FileReplacement>();
    if ((mode == Mode::kReplace || old != nullptr) && replacement->Begin(path)) {
      file_ = replacement->file();
      replacement_ = std::move(replacement);
    }
    if (old != nullptr) {
      if (file_ != nullptr) CopyFrom(old);
      std::fclose(old);
    }
    if (file_ != nullptr) return true;
  }
  file_ = OpenFile(path, appends ? "ab" : "wb");
  return file_ != nullptr;
}

void TextWriter::CopyFrom(std::FILE* from) {
  const auto buffer = std::make_unique<char[]>(kWriteBlock);
  std::size_t got = 0;
  while ((got = std::fread(buffer.get(), 1, kWriteBlock, from)) > 0) {
    if (std::fwrite(buffer.get(), 1, got, file_) != got) {
      failed_ = true;
      return;
    }
  }
  if (std::ferror(from) != 0) failed_ = true;
}

void TextWriter::Write(std::string_view bytes) {
  if (file_ == nullptr) return;
  if (!crlf_) {
    pending_.append(bytes);
    bytes = {};
  }
  while (!bytes.empty()) {
    const std::size_t newline = bytes.find('\n');
    if (newline == std::string_view::npos) {
      pending_.append(bytes);
      break;
    }
    pending_.append(bytes.substr(0, newline));
    pending_.append("\r\n");
    bytes.remove_prefix(newline + 1);
  }
  if (pending_.size() >= kWriteBlock) WritePending();
}

void TextWriter::WritePending() {
  if (file_ == nullptr || pending_.empty()) return;
  if (std::fwrite(pending_.data(), 1, pending_.size(), file_) != pending_.size()) failed_ = true;
  pending_.clear();
}

bool TextWriter::Close() {
  if (file_ == nullptr) return !failed_;
  WritePending();
  if (replacement_) {
    if (failed_ || !replacement_->Commit()) failed_ = true;
    replacement_.reset();  // abandons what was not committed
  } else {
    if (std::fflush(file_) != 0) failed_ = true;
    if (std::fclose(file_) != 0) failed_ = true;
  }
  file_ = nullptr;
  return !failed_;
}

}  // namespace kestrum
