#include "platform/cp866.h"

namespace kestrum {

std::string Utf8ToCp866(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  std::size_t pos = 0;
  while (pos < utf8.size()) {
    const int byte = Cp866FromCodePoint(DecodeUtf8(utf8, &pos));
    out.push_back(byte < 0 ? '?' : static_cast<char>(static_cast<unsigned char>(byte)));
  }
  return out;
}

std::string Cp866ToUtf8(std::string_view cp866) {
  std::string out;
  out.reserve(cp866.size() * 2);
  for (char c : cp866) {
    const auto byte = static_cast<unsigned char>(c);
    AppendUtf8(out, Cp866CodePoint(byte));
  }
  return out;
}

}  // namespace kestrum
