#include "platform/sink.h"

namespace kestrum {

void StreamSink::Write(std::string_view bytes) {
  if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), stream_);
}

void StreamSink::Flush() { std::fflush(stream_); }

}  // namespace kestrum
