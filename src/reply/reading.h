#pragma once
// A reply read once for every display of it (the window, the command line): its lines, its
// paragraphs and its tables, and the blocks they make in reading order. A reply is untrusted
// input: whatever its paragraphs say, every line appears exactly once, in order.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "reply/result_lines.h"

namespace reply {

// A paragraph's lines, or a table with the lines that stand in it.
struct ReadingBlock {
    std::vector<std::size_t> lines;    // indices into Reading::lines, in order
    std::optional<std::size_t> table;  // index into Reading::tables; none for a paragraph
};

struct Reading {
    bool readable = false;  // the reply is a JSON document
    bool refused = false;   // the reader refused it with an error (a number beyond a double)
    std::vector<ResultLine> lines;
    // Runs of line indices in order: every line in exactly one.
    std::vector<std::vector<std::size_t>> paragraphs;
    std::vector<ResultTable> tables;
    std::vector<ResultCode> codes;  // QR codes and barcodes, shown after the lines

    // Paragraphs (or each line on its own, when `by_paragraph` is false) in order; a table
    // stands once where its first line would, and a table none of whose lines came is last.
    std::vector<ReadingBlock> Blocks(bool by_paragraph = true) const;
};

// Reads a reply's text. Never throws.
Reading ReadReply(std::u16string_view text);

// The paragraphs "paragraphs_result" gives over `lines` lines, made whole: an index that is
// no line (out of range, not a whole number) is passed over, a line no paragraph claims is a
// paragraph of its own, and paragraphs that claim a line twice or out of order are not
// trusted at all (each line its own paragraph). Never throws.
std::vector<std::vector<std::size_t>> ResultParagraphs(const ReplyPtr& document, std::size_t lines);

}  // namespace reply
