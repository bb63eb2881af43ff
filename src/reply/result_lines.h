#pragma once
// The recognised lines of a reply: the one walk over "words_result" that every display of a
// result (the window, the command line) shares.

#include <optional>
#include <string>
#include <vector>

#include "reply/reply_value.h"

namespace reply {

// A line's box in the picture's pixels.
struct LineLocation {
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;
};

struct ResultLine {
    std::u16string words;                  // AsText of "words"; empty when missing
    std::optional<LineLocation> location;  // when "location" holds four numbers
    std::optional<double> confidence;      // "probability"."average", when a number
};

// One entry per element of the document's "words_result" array, in order; none when the
// document has no such array. Never throws.
std::vector<ResultLine> ResultLines(const ReplyPtr& document);

// The paragraphs of "paragraphs_result", each the indices of its lines in "words_result"
// (below `lines`), in order. Each line is a paragraph of its own where the document has
// no such array or an entry names no line. Never throws.
std::vector<std::vector<std::size_t>> ResultParagraphs(const ReplyPtr& document, std::size_t lines);

}  // namespace reply
