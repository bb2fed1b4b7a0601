#include "stats/link_parser.h"

#include <cstdint>

#include "stats/scan.h"

namespace kestrum {

namespace {

// Points, slashes, digits and colons: in ASCII these are the bytes '.' (0x2E) to ':'
// (0x3A) without a gap, so one unsigned comparison tells them.
static_assert('/' == '.' + 1 && '0' == '/' + 1 && '9' == '0' + 9 && ':' == '9' + 1);
bool IsAddressChar(char c) { return static_cast<unsigned char>(c - '.') <= ':' - '.'; }

// The address at the scanner: a run of digits, colons, slashes and points, cut at the
// first other character. False when there is none or when it is too long for an address
// (so no run need be taken further than one character past the longest).
bool ReadAddress(Scanner& scan, std::string_view* address) {
  // Eight bytes at a time: those that are no address characters.
  const auto stops = [](std::uint64_t bytes) { return BytesInRange(bytes, '.', ':') ^ kHighBits; };
  return scan.Set(IsAddressChar, stops, kMaxAddressText + 1, address) && address->size() <= kMaxAddressText;
}

// One letter of the packet extension, in either case (as %1[Pp] reads it).
bool Letter(Scanner& scan, char upper) { return scan.Char(upper) || scan.Char(static_cast<char>(upper - 'A' + 'a')); }

// "[Inbound] XXXXXXXX.PKT (N bytes) from " before the address: up to eight non-blank
// characters, which a point must follow, then the extension PKT in any letter case.
bool InboundHead(Scanner& scan, std::uint32_t* bytes) {
  return scan.Literal("[Inbound] ") && scan.Word(8, nullptr) && scan.Char('.') && Letter(scan, 'P') &&
         Letter(scan, 'K') && Letter(scan, 'T') && scan.Literal(" (") && scan.Unsigned(bytes) &&
         scan.Literal(" bytes) from ");
}

}  // namespace

bool ParseLinkLineFromWord(LinkSet& links, std::string_view text) {
  // "[Inbound] XXXXXXXX.PKT (N bytes) from ADDR", "Sent to ADDR - N" and "Real message
  // from ADDR" (one AreaFix request). The first character tells which form alone can
  // match. The address is read in one place for all three.
  if (text.empty()) return false;
  Scanner scan(text);
  std::uint32_t received = 0;
  std::uint32_t sent = 0;
  std::uint32_t requests = 0;
  switch (text[0]) {
    case '[':
      if (!InboundHead(scan, &received)) return false;
      break;
    case 'S':
      if (!scan.Literal("Sent to ")) return false;
      break;
    case 'R':
      if (!scan.Literal("Real message from ")) return false;
      requests = 1;
      break;
    default: return false;
  }
  std::string_view address;
  if (!ReadAddress(scan, &address)) return false;
  if (text[0] == 'S' && !(scan.Literal(" - ") && scan.Unsigned(&sent))) return false;
  links.Accumulate(address, received, sent, requests);
  return true;
}

}  // namespace kestrum
