#pragma once
// The text forms of one recognised picture or page: its lines, its reply as one JSON line,
// or tab-separated rows with each line's box and confidence.

#include <string>
#include <vector>

#include "cli/picture_job.h"

namespace cli {

// "[QR_CODE] its text": how every format but the reply itself shows a code.
std::string CodeText(const reply::ResultCode& code);

// Each line followed by a line break, then each code the same way.
std::string TextLines(const PictureResult& result);

// The paragraphs, each one line of running text, an empty line between two: the form
// notes and editors take. A paragraph that would start Markdown markup is escaped. A
// table stands as a Markdown table where its first line would (a spanning cell's text in
// its first place).
std::string MarkdownText(const PictureResult& result);

// The paragraphs as <p> and the tables as <table> with rowspan and colspan, between
// HtmlHead and HtmlFoot.
std::string HtmlBody(const PictureResult& result);
std::string HtmlHead();
std::string HtmlFoot();

// Each table as its own CSV (RFC 4180); a merged cell's text in every place it covers.
std::vector<std::string> CsvTables(const PictureResult& result);

// The reply as received, on one line.
std::string JsonLine(const PictureResult& result);

// The column names of TsvRows.
std::string TsvHeader();

// One row per line: source, page, line number, left, top, width, height, average confidence,
// text. A box or confidence the reply lacks is an empty field.
std::string TsvRows(const std::string& source, int page, const PictureResult& result);

}  // namespace cli
