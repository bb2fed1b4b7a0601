// Tests of the link set, the link-line parser, the Ignore.Link handler and the order
// of FidoNet addresses.
#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "stats/fido_address.h"
#include "stats/link_parser.h"
#include "stats/link_set.h"

namespace kestrum {
namespace {

TEST(LinkParserTest, InboundPackets) {
  LinkSet links;
  EXPECT_TRUE(ParseLinkLine(links, "[Inbound] 0000ABCD.PKT (1234 bytes) from 1:2/3.0\n"));
  EXPECT_TRUE(ParseLinkLine(links, "[Inbound] 0000abcd.pkt (1000 bytes) from 1:2/3.0\n"));
  EXPECT_TRUE(ParseLinkLine(links, "[Inbound] 0000abcd.PkT (1 bytes) from 1:2/3.0\n"));
  ASSERT_EQ(links.count(), 1u);
  EXPECT_EQ(links[0].name, "1:2/3.0");
  EXPECT_EQ(links[0].bytes_received, 2235.0);
  EXPECT_EQ(links[0].bytes_sent, 0.0);
  EXPECT_EQ(links[0].areafix_requests, 0u);

  // The name before the point must be eight characters, the extension PKT.
  EXPECT_FALSE(ParseLinkLine(links, "[Inbound] ABC.PKT (1234 bytes) from 1:2/3.0\n"));
  EXPECT_FALSE(ParseLinkLine(links, "[Inbound] 0000ABC.PKT (1234 bytes) from 1:2/3.0\n"));
  EXPECT_FALSE(ParseLinkLine(links, "[Inbound] 0000ABCDE.PKT (1234 bytes) from 1:2/3.0\n"));
  EXPECT_FALSE(ParseLinkLine(links, "[Inbound] 0000ABCD.MSG (1234 bytes) from 1:2/3.0\n"));
  EXPECT_FALSE(ParseLinkLine(links, "[Inbound] 0000ABCD.PKT (1234 bytes) from\n"));
  EXPECT_FALSE(ParseLinkLine(links, "[inbound] 0000ABCD.PKT (1234 bytes) from 1:2/3.0\n"));
  EXPECT_EQ(links.count(), 1u);
  EXPECT_EQ(links[0].bytes_received, 2235.0);
}

TEST(LinkParserTest, SentAndRequestLines) {
  LinkSet links;
  EXPECT_TRUE(ParseLinkLine(links, "Sent to 1:2/3.0 - 5678\n"));
  EXPECT_TRUE(ParseLinkLine(links, "Real message from 1:2/3.0\n"));
  EXPECT_TRUE(ParseLinkLine(links, "Real message from 1:2/3.0,x\n"));  // cut at the comma
  EXPECT_TRUE(ParseLinkLine(links, "Sent to 2:5020/1.0 - 10\n"));
  ASSERT_EQ(links.count(), 2u);
  EXPECT_EQ(links[0].name, "1:2/3.0");
  EXPECT_EQ(links[0].bytes_sent, 5678.0);
  EXPECT_EQ(links[0].areafix_requests, 2u);
  EXPECT_EQ(links[1].name, "2:5020/1.0");
  EXPECT_EQ(links[1].bytes_sent, 10.0);

  EXPECT_FALSE(ParseLinkLine(links, "real message from 1:2/3.0\n"));
  EXPECT_FALSE(ParseLinkLine(links, "sent to 1:2/3.0 - 5\n"));
  EXPECT_FALSE(ParseLinkLine(links, "Sent to 1:2/3.0\n"));  // no byte count
  EXPECT_FALSE(ParseLinkLine(links, "Sent to fido - 5\n"));
  EXPECT_FALSE(ParseLinkLine(links, " Real message from 1:2/3.0\n"));  // not at the start
  EXPECT_FALSE(ParseLinkLine(links, ""));
  EXPECT_EQ(links.count(), 2u);
}

TEST(LinkParserTest, AddressLengthLimit) {
  LinkSet links;
  const std::string longest = "1:2/" + std::string(kMaxAddressText - 4, '3');
  const std::string too_long = longest + "4";
  EXPECT_FALSE(ParseLinkLine(links, "Real message from " + too_long + "\n"));
  EXPECT_FALSE(ParseLinkLine(links, "Sent to " + too_long + " - 5\n"));
  EXPECT_FALSE(ParseLinkLine(links, "[Inbound] 0000ABCD.PKT (1 bytes) from " + too_long + "\n"));
  EXPECT_EQ(links.count(), 0u);
  EXPECT_TRUE(ParseLinkLine(links, "Real message from " + longest + "\n"));
  ASSERT_EQ(links.count(), 1u);
  EXPECT_EQ(links[0].name, longest);
}

TEST(LinkSetTest, IgnoreLinkMarksBeforeTheLogAndStillCounts) {
  LinkSet links;
  EXPECT_EQ(HandleIgnoreLink(links, "1:2/3.0"), nullptr);
  EXPECT_EQ(HandleIgnoreLink(links, "1:2/3.0"), nullptr);
  ASSERT_EQ(links.count(), 1u);
  EXPECT_EQ(links[0].ignored, 1);
  EXPECT_TRUE(ParseLinkLine(links, "Sent to 1:2/3.0 - 100\n"));
  // Names are exact: 1:2/3 is another link, and it is not ignored.
  EXPECT_TRUE(ParseLinkLine(links, "Sent to 1:2/3 - 7\n"));
  ASSERT_EQ(links.count(), 2u);
  EXPECT_EQ(links[0].bytes_sent, 100.0);
  EXPECT_EQ(links[0].ignored, 1);
  EXPECT_EQ(links[1].ignored, 0);
}

TEST(LinkSetTest, AccumulateWrapsRequestsAndInsertAtOrders) {
  LinkSet links;
  links.Accumulate("1:2/3.0", 0, 0, std::numeric_limits<std::uint32_t>::max());
  links.Accumulate("1:2/3.0", 0, 0, 2);
  EXPECT_EQ(links[0].areafix_requests, 1u);

  for (int i = 0; i < 25; ++i) links.Accumulate("2:" + std::to_string(i) + "/1", static_cast<std::uint32_t>(i), 0, 0);
  ASSERT_EQ(links.count(), 26u);
  EXPECT_EQ(links[11].name, "2:10/1");
  EXPECT_EQ(links[11].bytes_received, 10.0);

  LinkSet ordered;
  ordered.InsertAt(links[2], 0);
  ordered.InsertAt(links[1], 0);
  LinkRecord& first = ordered.InsertAt(links[0], 0);
  EXPECT_EQ(first.name, "1:2/3.0");
  ASSERT_EQ(ordered.count(), 3u);
  EXPECT_EQ(ordered[1].name, "2:0/1");
  EXPECT_EQ(ordered[2].name, "2:1/1");
  EXPECT_EQ(ordered[2].bytes_received, 1.0);
  for (std::size_t i = 0; i < ordered.count(); ++i) EXPECT_EQ(ordered.Find(ordered[i].name), &ordered[i]);

  LinkRecord again = links[1];
  again.bytes_received = 1e9;
  EXPECT_EQ(&ordered.InsertAt(again, 3), &ordered[1]);
  EXPECT_EQ(ordered[1].bytes_received, 0.0);
  EXPECT_EQ(ordered.count(), 3u);
}

TEST(FidoAddressTest, NumericPartByPartOrder) {
  EXPECT_LT(CompareAddresses("1:2/9.0", "1:2/10.0"), 0);
  EXPECT_LT(CompareAddresses("1:2/10.0", "1:3/1.0"), 0);
  EXPECT_LT(CompareAddresses("1:3/1.0", "2:1/1.0"), 0);
  EXPECT_LT(CompareAddresses("1:9/1.0", "1:10/1.0"), 0);  // net 9 before net 10
  EXPECT_GT(CompareAddresses("2:1/1.0", "1:99/99.99"), 0);
  EXPECT_EQ(CompareAddresses("2:5020/1.0", "2:5020/1.0"), 0);
  EXPECT_LT(CompareAddresses("2:5020/1.1", "2:5020/1.2"), 0);
  // A leading 0 reads octal: 010 is 8.
  EXPECT_EQ(CompareAddresses("1:010/1.0", "1:8/1.0"), 0);
  EXPECT_GT(CompareAddresses("1:010/1.0", "1:7/1.0"), 0);
  // Missing parts compare as 0.
  EXPECT_EQ(CompareAddresses("1:2/3", "1:2/3.0"), 0);
  EXPECT_LT(CompareAddresses("1:2/3", "1:2/3.1"), 0);
  EXPECT_EQ(CompareAddresses("", "0:0/0.0"), 0);
  // Parts far apart give the right sign, not an overflowed difference.
  EXPECT_LT(CompareAddresses("-2147483648:0/0.0", "2147483647:0/0.0"), 0);
  EXPECT_GT(CompareAddresses("2147483647:0/0.0", "-2147483648:0/0.0"), 0);
}

}  // namespace
}  // namespace kestrum
