#pragma once
// The members of a recognition reply that both faces write alike, in the cloud API's
// shape: each face puts them into its own reply, with members of its own, in its own order.

#include <cstddef>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "service/common/page_reading.h"

namespace ocrgated {

using Json = nlohmann::ordered_json;

// What each entry of "words_result" holds besides "words".
struct LineMembers {
    bool location = true;      // "location": left, top, width, height
    bool vertexes = false;     // "vertexes_location": the four corners
    bool probability = true;   // "probability": average, min, variance
    bool chars = false;        // "chars": each character with its "location"
};

// "words_result": [{"words", ...}...]
Json WordsResult(const std::vector<RecognizedLine>& lines, const LineMembers& members);

// Lines that share a paragraph, as runs of indices in reading order; a line without one
// is a paragraph of its own.
std::vector<std::vector<std::size_t>> ParagraphRuns(const std::vector<RecognizedLine>& lines);

// "paragraphs_result": [{"words_result_idx": [...]}...]
Json ParagraphsResult(const std::vector<RecognizedLine>& lines);

// Counter-clockwise quarter turns the page was found in (0 upright to 3); -1 when the
// engine did not judge it.
int PageDirection(const std::vector<RecognizedLine>& lines);

// "tables_result": [{"table_location", "header", "body":[{"row_start", "row_end",
// "col_start", "col_end", "words", "cell_location"}...], "footer"}...], ends exclusive; with
// the page's lines, each cell's "contents" too: its lines' "word" and "poly_location".
Json TablesResult(const std::vector<RecognizedTable>& tables,
                  const std::vector<RecognizedLine>* cell_contents = nullptr);

// "codes_result": [{"type", "text": [its lines], ["location"]}...]
Json CodesResult(const std::vector<RecognizedCode>& codes, bool location);

// The reply's text; an engine's stray invalid UTF-8 must not cost the whole reply.
std::string ReplyText(const Json& reply);

}  // namespace ocrgated
