#include "report/link_reports.h"

#include <vector>
#include <utility>

#include "platform/cp866.h"
#include "platform/format.h"
#include "report/box_table.h"
#include "report/report_common.h"
#include "stats/fido_address.h"

namespace kestrum {

namespace {

// Headers, rows and totals of the link tables. Each text is a row of cells ended by
// '\n', the first cell under the address column. Headers go to the table as they
// stand, so " %% " shows two percent signs.
constexpr std::string_view kLiveHeader = "Живые линки:\n  From  \n   To   \n Fix \n"_cp866;
constexpr std::string_view kLiveRow = "%s\n%.1fk\n%.1fk\n%lu\n";
constexpr std::string_view kLiveTotal = "Всего по %lu линкам:\n%.1fk\n%.1fk\n%lu\n"_cp866;

constexpr std::string_view kReceivedHeader = "Получено от:\n   kb   \n %% \n"_cp866;
constexpr std::string_view kSentHeader = "Отправлено на:\n   kb   \n %% \n"_cp866;
constexpr std::string_view kBytesRow = "%s\n%.1f\n%.1f\n";
constexpr std::string_view kBytesTotal = "Всего по %lu линкам:\n%.1f\n100%c\n"_cp866;

constexpr std::string_view kAreaFixHeader = "Дёргали AreaFix:\nРаз\n %% \n"_cp866;
constexpr std::string_view kAreaFixRow = "%s\n%lu\n%.1f\n";
constexpr std::string_view kAreaFixTotal = "Всего по %lu линкам:\n%lu\n100%c\n"_cp866;

using Links = std::vector<const LinkRecord*>;

double Received(const LinkRecord& link) { return link.bytes_received; }
double Sent(const LinkRecord& link) { return link.bytes_sent; }

// The links, never the ignored ones, for which pick holds, in set order.
template <typename Pick>
Links Select(const LinkSet& set, Pick pick) {
  Links selected;
  for (const LinkRecord& link : set) {
    if (link.ignored == 0 && pick(link)) selected.push_back(&link);
  }
  return selected;
}

// Ascending by address as numbers.
void SortByAddress(Links& links) {
  SortAsInserted(links,
                 [](const LinkRecord* a, const LinkRecord* b) { return CompareAddresses(b->name, a->name) > 0; });
}

// Most first; equal keys by address.
template <typename Key>
void SortByKey(Links& links, Key key) {
  SortAsInserted(links, [key](const LinkRecord* a, const LinkRecord* b) {
    const auto key_a = key(*a);
    const auto key_b = key(*b);
    if (key_a != key_b) return key_a > key_b;
    return CompareAddresses(b->name, a->name) > 0;
  });
}

void WriteLiveLinks(const LinkSet& set, Sink& out, Sink& console) {
  Links links = Select(set, [](const LinkRecord& link) {
    return link.bytes_received != 0.0 || link.bytes_sent != 0.0 || link.areafix_requests != 0;
  });
  double received = 0.0;
  double sent = 0.0;
  std::uint32_t requests = 0;
  for (const LinkRecord* link : links) {
    received += link->bytes_received;
    sent += link->bytes_sent;
    requests += link->areafix_requests;
  }
  SortByAddress(links);
  BoxTable table({COL_LEFT, COL_RIGHT, COL_RIGHT, COL_RIGHT});
  table.AddRow(kLiveHeader, 0.0);
  for (const LinkRecord* link : links) {
    table.AddRow(Format(kLiveRow, link->name, Kb(link->bytes_received), Kb(link->bytes_sent), link->areafix_requests),
                 0.0);
  }
  table.AddRow(Format(kLiveTotal, links.size(), Kb(received), Kb(sent), requests), 0.0);
  WriteTable(std::move(table), out, console);
}

// F and T: bytes received from or sent to each link, with percentages and bars.
void WriteBytesReport(const LinkSet& set, std::string_view header, double (*bytes_of)(const LinkRecord&), Sink& out,
                      Sink& console) {
  Links links = Select(set, [bytes_of](const LinkRecord& link) { return bytes_of(link) != 0.0; });
  double sum = 0.0;
  for (const LinkRecord* link : links) sum += bytes_of(*link);
  SortByKey(links, bytes_of);
  BoxTable table({COL_LEFT, COL_RIGHT, COL_RIGHT});
  table.AddRow(header, kNoBar);
  for (const LinkRecord* link : links) {
    const double bytes = bytes_of(*link);
    table.AddRow(Format(kBytesRow, link->name, Kb(bytes), Percent(bytes, sum)), bytes);
  }
  table.AddRow(Format(kBytesTotal, links.size(), Kb(sum), '%'), kNoBar);
  WriteTable(std::move(table), out, console);
}

void WriteAreaFixReport(const LinkSet& set, Sink& out, Sink& console) {
  Links links = Select(set, [](const LinkRecord& link) { return link.areafix_requests != 0; });
  std::uint32_t sum = 0;
  for (const LinkRecord* link : links) sum += link->areafix_requests;
  SortByKey(links, [](const LinkRecord& link) { return link.areafix_requests; });
  BoxTable table({COL_LEFT, COL_RIGHT, COL_RIGHT});
  table.AddRow(kAreaFixHeader, kNoBar);
  for (const LinkRecord* link : links) {
    table.AddRow(Format(kAreaFixRow, link->name, link->areafix_requests, Percent(link->areafix_requests, sum)),
                 link->areafix_requests);
  }
  table.AddRow(Format(kAreaFixTotal, links.size(), sum, '%'), kNoBar);
  WriteTable(std::move(table), out, console);
}

}  // namespace

void WriteLinkReport(char letter, const LinkSet& links, Sink& out, Sink& console) {
  switch (letter) {
    case 'L': return WriteLiveLinks(links, out, console);
    case 'F': return WriteBytesReport(links, kReceivedHeader, Received, out, console);
    case 'T': return WriteBytesReport(links, kSentHeader, Sent, out, console);
    case 'X': return WriteAreaFixReport(links, out, console);
    default: return;
  }
}

}  // namespace kestrum
