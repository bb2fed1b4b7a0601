#include "report/html_page.h"

#include <string>

#include "platform/cp866.h"
#include "report/html_table.h"

namespace kestrum {

namespace {

constexpr std::string_view kPeriodTitle = "Отчётный период:"_cp866;

// Light and dark by the reader's setting; bars are the background of their cell, drawn
// on paper too; names wrap anywhere rather than widen a table past a phone's screen.
constexpr std::string_view kStyle =
    R"css(:root{color-scheme:light dark;--text:#1f2328;--page:#fff;--muted:#59636e;--rule:#d1d9e0;--head:#f0f3f6;--bar:#2f6fbf}
@media (prefers-color-scheme:dark){:root{--text:#e6edf3;--page:#0d1117;--muted:#9198a1;--rule:#3d444d;--head:#151b23;--bar:#4f8fdf}}
body{margin:0 auto;max-width:60rem;padding:1rem;font:1rem/1.4 system-ui,sans-serif;color:var(--text);background:var(--page)}
h1{font-size:1.35rem;margin:.2rem 0 1.2rem}
h2,caption{font-size:1.1rem;font-weight:600;text-align:left;margin:0;padding:0 0 .4rem}
table{border-collapse:collapse;margin:0 0 2rem;font-variant-numeric:tabular-nums}
table.bars{width:100%}
th,td{padding:.25rem .5rem;border-bottom:1px solid var(--rule);text-align:right;vertical-align:top}
.l,tbody th,tfoot th{text-align:left}
thead th,thead td{background:var(--head);font-weight:600;white-space:nowrap}
tbody th{font-weight:400;min-width:8em;overflow-wrap:anywhere}
tfoot th,tfoot td{font-weight:600;border-top:2px solid var(--rule);border-bottom:0}
table.bars td:not(.bar){width:1%;white-space:nowrap}
td.bar{width:40%}
td.bar[style]{background:linear-gradient(90deg,var(--bar) var(--w),transparent 0) content-box no-repeat;background-size:100% .75em;background-position:0 .33em}
ul.names{margin:0 0 2rem;padding:0 0 0 1.5rem;overflow-wrap:anywhere}
footer{margin-top:1rem;color:var(--muted);font-size:.9rem}
footer p{margin:0}
@media (max-width:36rem){body{padding:.5rem}th,td{padding:.2rem .3rem}td.bar{width:20%}}
@media print{:root{--text:#000;--page:#fff;--muted:#333;--rule:#999;--head:#eee;--bar:#444}body{max-width:none;padding:0}table{break-inside:auto}tr{break-inside:avoid}td.bar,thead td,thead th{print-color-adjust:exact;-webkit-print-color-adjust:exact}}
)css";

std::string_view Trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \n");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \n") + 1 - first);
}

}  // namespace

void WriteHtmlPageStart(std::string_view period_text, Sink& out) {
  std::string heading(kPeriodTitle);
  const std::string_view period = Trimmed(period_text);
  if (!period.empty()) heading.append(" ").append(period);

  std::string page =
      "<!DOCTYPE html>\n<html lang=\"ru\">\n<head>\n<meta charset=\"utf-8\">\n"
      "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>";
  AppendHtmlText(page, heading);
  page.append("</title>\n<style>\n").append(kStyle).append("</style>\n</head>\n<body>\n<header>\n<h1>");
  AppendHtmlText(page, heading);
  page.append("</h1>\n</header>\n<main>\n");
  out.Write(page);
}

void WriteHtmlPageEnd(std::string_view version_text, std::string_view maker_line, Sink& out) {
  std::string page = "</main>\n<footer>\n<p>Kestrum, ";
  AppendHtmlText(page, version_text);
  page.append("</p>\n<p>");
  AppendHtmlText(page, maker_line);
  page.append("</p>\n</footer>\n</body>\n</html>\n");
  out.Write(page);
}

}  // namespace kestrum
