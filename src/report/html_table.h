// Laid-out reports drawn as HTML for the page, beside the box table that draws them as
// text: the same rows in the same order with the same cells, never cut. A table gets its
// title (the heading row's first cell that is not blank) as caption, its column headings
// trimmed and with "%%" shown as "%", its record rows and its total row; a table with
// bars gets a bar column whose bars are in proportion to the largest. A bare list is its
// title and a list of the names. Every text is CP866, written as UTF-8 and as text only.
#pragma once

#include <string>
#include <string_view>

#include "platform/sink.h"
#include "report/laid_out_table.h"

namespace kestrum {

// Appends CP866 text as HTML text in UTF-8: & < > " ' become character references, and
// the control bytes (below 0x20, and 0x7F), which show nothing, U+FFFD.
void AppendHtmlText(std::string& out, std::string_view cp866);

// Writes the report as HTML: a <table>, or a heading and a <ul> for a bare list.
void WriteHtmlReport(const LaidOutTable& table, Sink& out);

}  // namespace kestrum
