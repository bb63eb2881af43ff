#pragma once
// The table stage: tables on a page and the cells its lines stand in, found from geometry.
// A ruled table is a grid of rules, a cell spanning where an inner rule is missing; a
// three-rule table is a top rule, a rule under its header and a bottom rule, its columns
// the blank channels its rows share; a table without rules is a run of rows of short
// pieces that share such channels.

#include "service/engines/layout/page_layout.h"
#include "service/engines/layout/rules.h"

#include <opencv2/core.hpp>

#include <cstddef>
#include <string>
#include <vector>

namespace ocrgated::layout {

struct TableOptions {
    // Lengths in multiples of the page's median line thickness.
    float min_rule = 1.5f;     // shortest rule that parts cells
    float rule_reach = 0.6f;   // how far past a crossing a rule may stop and still meet it
    float edge_merge = 0.6f;   // rules this close across are one edge of the grid
    float min_channel = 0.8f;  // narrowest blank channel that separates two columns
    float header_rows = 6.f;   // a three-rule table's header is at most this many lines tall
    int min_rows = 2;          // a table has at least this many rows and columns
    int min_columns = 2;
    // A three-rule table's cells are short: lines that fill most of the table's width
    // are running text between a page's header and footer rules.
    float max_cell_share = 0.45f;
    // A table without rules: rows of several pieces each, this many at least, no blank
    // between two taller than open_row_gap, sharing channels this wide for this many columns.
    int min_open_rows = 4;
    float open_row_gap = 1.5f;
    float min_open_channel = 1.5f;
    int min_open_columns = 3;
    // ...and at least one column whose pieces leave room: its median piece covers at most
    // this share of the column (columns of running text fill theirs).
    float max_open_fill = 0.7f;
    std::size_t max_open_cell_length = 6;  // characters in the median piece
    float note_gap = 1.5f;                 // farthest a title or a note stands from its table
    // A vertical rule this long at least cuts a line it runs through: the detector joined
    // the text of the cells on either side.
    float cutting_rule = 2.5f;
    // The caller says the whole picture is one table: the table found that holds most
    // lines, or all the lines as one table when none is found.
    bool one_table = false;
    // ...where a ruled cell holding this many rows of text is a group of rows drawn
    // without their own rules, and the rows are found from the text.
    int max_rows_in_ruled_cell = 6;
    // Its channels may be narrower: figures set close in a monospaced report.
    float min_whole_channel = 0.5f;
};

struct GridCell {
    int row_start = 0, row_end = 1, col_start = 0, col_end = 1;  // ends exclusive
    cv::Rect2f box;
    std::vector<std::size_t> lines;  // indices into Page::lines, top to bottom, left to right
    std::vector<std::string> texts;  // each line's text in the cell: all of it, or its side
                                     // of a rule that cuts it
};

struct TableGrid {
    std::vector<float> row_edges;     // rows + 1 positions, top to bottom
    std::vector<float> column_edges;  // columns + 1 positions, left to right
    std::vector<GridCell> cells;      // row by row
    // Drawn rules part its cells; otherwise blank channels do, and a row with a piece for
    // every column puts them in order, whatever their alignment.
    bool ruled = false;
    // Lines just above the table and just below it, across its width: a title, notes.
    std::vector<std::size_t> header, footer;  // indices into Page::lines
    cv::Rect2f box() const {
        return {column_edges.front(), row_edges.front(), column_edges.back() - column_edges.front(),
                row_edges.back() - row_edges.front()};
    }
};

// Tables of the page's lines and rules, both in the reading frame, top to bottom. A line
// belongs to the cell its centre stands in; a line a rule runs through is cut at it first.
std::vector<TableGrid> FindTables(const Page& page, const TableOptions& options = {});

}  // namespace ocrgated::layout
