#pragma once
// A recognised table as the text other programs take it in: HTML with its spans, for
// documents and the clipboard, and tab-separated rows, for spreadsheets.

#include <string>

#include "reply/result_lines.h"

namespace reply {

// Text with &, <, > and " written as entities (UTF-8).
std::string HtmlEscaped(const std::string& text);

// <table> with one <tr> per row and rowspan / colspan on merged cells (UTF-8, with a
// line break after each row).
std::string TableHtml(const ResultTable& table);

// One line per row, cells parted by tabs (a spanning cell's text in its first place); tabs
// and line breaks inside a cell become spaces.
std::u16string TableTabbed(const ResultTable& table);

}  // namespace reply
