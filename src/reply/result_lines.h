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

// A character of "chars", where the reply places each one.
struct ResultCharacter {
    std::u16string text;  // "char"
    LineLocation location;
};

struct ResultLine {
    std::u16string words;                  // AsText of "words"; empty when missing
    std::optional<LineLocation> location;  // when "location" holds four numbers
    std::optional<double> confidence;      // "probability"."average", when a number
    // "chars" in order, spaces left out; those without a place are not kept.
    std::vector<ResultCharacter> characters = {};
};

// One entry per element of the document's "words_result" array, in order; none when the
// document has no such array. Never throws.
std::vector<ResultLine> ResultLines(const ReplyPtr& document);

// A cell of a table, spanning rows [row, row + rows) and columns [column, column + columns).
struct ResultCell {
    int row = 0, column = 0, rows = 1, columns = 1;
    std::u16string words;
};

struct ResultTable {
    int rows = 0, columns = 0;  // of the grid its cells fill
    std::vector<ResultCell> cells;
    std::optional<LineLocation> bounds;  // around "table_location"'s points
    // Whether the line's centre lies inside the table.
    bool Holds(const ResultLine& line) const;
    // The cells' text laid out in the grid: a spanning cell's text in its top-left place,
    // empty in the others it covers.
    std::vector<std::vector<std::u16string>> Grid() const;
};

// A QR code or barcode of "codes_result".
struct ResultCode {
    std::u16string type;                   // "QR_CODE", "EAN_13"…
    std::u16string text;                   // its "text" lines joined by line breaks
    std::optional<LineLocation> location;  // when "location" holds four numbers
};

// One entry per element of "codes_result" that names its type; none without. Never throws.
std::vector<ResultCode> ResultCodes(const ReplyPtr& document);

// "[QR_CODE] its text": how the window and the command line show a code among the lines.
std::u16string CodeLabel(const ResultCode& code);

// The tables of "tables_result", each with the cells of its "body" whose places are whole
// numbers from 0 and whose ends lie past them; a table without such cells, or whose grid
// would hold over 100,000 cells, is left out.
// Never throws.
std::vector<ResultTable> ResultTables(const ReplyPtr& document);

}  // namespace reply
