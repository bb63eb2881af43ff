#pragma once
// What the engine read on one page: its lines, and the tables some of them stand in.

#include <cstddef>
#include <string>
#include <vector>

#include "service/common/recognized_line.h"

namespace ocrgated {

// A cell of a table's grid, spanning rows [row_start, row_end) and columns
// [col_start, col_end).
struct TableCell {
    int row_start = 0, row_end = 1, col_start = 0, col_end = 1;
    std::vector<PicturePoint> corners;  // clockwise from the top left as read
    std::vector<std::size_t> lines;     // indices into the page's lines, in reading order
    std::string words;                  // the lines joined as a paragraph's are
};

// A line that belongs with a table from outside it: a title above, a note below.
struct TableNote {
    std::vector<PicturePoint> corners;  // the line's
    std::string words;
};

struct RecognizedTable {
    int rows = 0, columns = 0;
    std::vector<PicturePoint> corners;  // clockwise from the top left as read
    std::vector<TableCell> cells;       // row by row, each cell once however far it spans
    std::vector<TableNote> header, footer;  // also among the page's lines
};

// A QR code or barcode found on the page.
struct RecognizedCode {
    std::string type;  // "QR_CODE", "EAN_13", "CODE_128"…
    std::string text;  // what it holds, as UTF-8
    int left = 0, top = 0, width = 0, height = 0;  // around it, in the picture's pixels
};

struct PageReading {
    std::vector<RecognizedLine> lines;  // every line, in reading order
    std::vector<RecognizedTable> tables;
    std::vector<RecognizedCode> codes;  // top to bottom, when they were looked for
};

}  // namespace ocrgated
