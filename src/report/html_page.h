// The frame of the web page of reports: one self-contained HTML5 document in UTF-8 with
// its own style sheet (light and dark, phone and paper), no script and nothing fetched.
// The period is its title and its heading; the reports (html_table.h) follow in letter
// order; the footer names the program and its version.
#pragma once

#include <string_view>

#include "platform/sink.h"

namespace kestrum {

// Writes everything before the first report; the period text is its display text (CP866).
void WriteHtmlPageStart(std::string_view period_text, Sink& out);

// Writes the footer, "Kestrum, " and the version text, then the maker's line, and closes
// the page; both texts are CP866.
void WriteHtmlPageEnd(std::string_view version_text, std::string_view maker_line, Sink& out);

}  // namespace kestrum
