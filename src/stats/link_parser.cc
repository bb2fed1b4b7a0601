#include "stats/link_parser.h"

#include <cstdint>

#include "stats/scan.h"

namespace kestrum {

namespace {

bool IsAddressChar(char c) { return (c >= '0' && c <= '9') || c == ':' || c == '/' || c == '.'; }

// The address at the scanner: a run of digits, colons, slashes and points, cut at the
// first other character. False when there is none or when it is too long for an address.
bool ReadAddress(Scanner& scan, std::string_view* address) {
  return scan.Set(IsAddressChar, 0, address) && address->size() <= kMaxAddressText;
}

// One letter of the packet extension, in either case.
bool Letter(Scanner& scan, char upper) {
  const char lower = static_cast<char>(upper - 'A' + 'a');
  return scan.Set([&](char c) { return c == upper || c == lower; }, 1, nullptr);
}

// "[Inbound] XXXXXXXX.PKT (N bytes) from ADDR": up to eight non-blank characters, which
// a point must follow, then the extension PKT in any letter case.
bool InboundLine(std::string_view text, std::uint32_t* bytes, std::string_view* address) {
  Scanner scan(text);
  return scan.Literal("[Inbound] ") && scan.Word(8, nullptr) && scan.Char('.') && Letter(scan, 'P') &&
         Letter(scan, 'K') && Letter(scan, 'T') && scan.Literal(" (") && scan.Unsigned(bytes) &&
         scan.Literal(" bytes) from ") && ReadAddress(scan, address);
}

// "Sent to ADDR - N".
bool SentLine(std::string_view text, std::uint32_t* bytes, std::string_view* address) {
  Scanner scan(text);
  return scan.Literal("Sent to ") && ReadAddress(scan, address) && scan.Literal(" - ") && scan.Unsigned(bytes);
}

// "Real message from ADDR": one AreaFix request.
bool RequestLine(std::string_view text, std::string_view* address) {
  Scanner scan(text);
  return scan.Literal("Real message from ") && ReadAddress(scan, address);
}

}  // namespace

bool ParseLinkLine(LinkSet& links, std::string_view text) {
  // Each form begins with a word of its own, at the very first character.
  if (text.empty() || (text[0] != '[' && text[0] != 'S' && text[0] != 'R')) return false;
  std::uint32_t bytes = 0;
  std::string_view address;
  if (InboundLine(text, &bytes, &address)) {
    links.Accumulate(address, bytes, 0, 0);
    return true;
  }
  if (SentLine(text, &bytes, &address)) {
    links.Accumulate(address, 0, bytes, 0);
    return true;
  }
  if (RequestLine(text, &address)) {
    links.Accumulate(address, 0, 0, 1);
    return true;
  }
  return false;
}

}  // namespace kestrum
