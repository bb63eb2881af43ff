#pragma once
// The reply text of a recognition: the JSON shape the client reads.

#include <cstdint>
#include <string>
#include <vector>

#include "service/engines/recognizer.h"

namespace ocrgated {

// {"log_id":…, "words_result_num":n, "words_result":[{"words", "location", "probability"}…]},
// then "paragraphs_result_num" and "paragraphs_result":[{"words_result_idx":[…]}…] when the
// engine grouped its lines into paragraphs, and "direction" when it judged the page's turn.
// Lines that share a paragraph, as runs of indices in reading order; a line without one
// is a paragraph of its own.
std::vector<std::vector<std::size_t>> ParagraphRuns(const std::vector<RecognizedLine>& lines);

// Counter-clockwise quarter turns the page was found in (0 upright to 3); -1 when the
// engine did not judge it.
int PageDirection(const std::vector<RecognizedLine>& lines);

// Tables add "table_num" and "tables_result":[{"table_location", "header", "body":[{"row_start",
// "row_end", "col_start", "col_end", "words", "cell_location"}…], "footer"}…], ends exclusive.
std::string WriteReplyJson(std::uint64_t log_id, const std::vector<RecognizedLine>& lines,
                           const std::vector<RecognizedTable>& tables = {});

}  // namespace ocrgated
