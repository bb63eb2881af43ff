#pragma once
// The table finders (ruled grids and three-rule tables in ruled_tables.cpp, tables without
// rules in open_tables.cpp) and the pieces they share: edges from positions, rows and
// columns from boxes, and cells from a grid whose inner edges may be missing.

#include "service/engines/tables/tables.h"

#include <opencv2/core.hpp>

#include <functional>
#include <numeric>
#include <optional>
#include <utility>
#include <vector>

namespace ocrgated::layout {

// Positions within `merge` of each other as one, at their mean; ascending.
std::vector<float> Clustered(std::vector<float> values, double merge);

// Sets joined one pair at a time.
struct Groups {
    std::vector<std::size_t> parent;
    explicit Groups(std::size_t n) : parent(n) { std::iota(parent.begin(), parent.end(), 0); }
    std::size_t Find(std::size_t i) { return parent[i] == i ? i : parent[i] = Find(parent[i]); }
    void Join(std::size_t a, std::size_t b) { parent[Find(a)] = Find(b); }
};

cv::Point2f Centre(const cv::Rect2f& box);

// The column of a grid whose edges are `edges` that `x` stands in (the outer ones reach out).
int ColumnOf(const std::vector<float>& edges, float x);

// The boundaries between rows: the middle of the blank between one and the next.
void AddRowEdges(const std::vector<std::pair<float, float>>& rows, std::vector<float>& edges);

// Rows of lines, top to bottom: a line joins the row whose lines reach below its centre.
std::vector<std::pair<float, float>> Rows(std::vector<cv::Rect2f> boxes);

// Rows whose blank above is under half the usual blank between rows joined to the row
// above: the second line of a cell's text is closer to its first than rows are apart.
// With the rows' `boxes`, a row stays apart when it and the rows above each have a piece
// where the other has none: a header's second row under a label set beside both.
std::vector<std::pair<float, float>> JoinWrappedRows(
    std::vector<std::pair<float, float>> rows, const std::vector<cv::Rect2f>* boxes = nullptr);

// The middles of blank channels that no box crosses, right of `left`; `narrowest` wide at least.
std::vector<float> Channels(std::vector<cv::Rect2f> boxes, float left, double narrowest);

// The cells of the grid, base cells joined where `open(r, c, right)` says the edge to the
// right of (or below) base cell (r, c) is missing.
std::vector<GridCell> Cells(const TableGrid& grid, const std::function<bool(int, int, bool)>& open);

// Row labels set left of a grid ruled around its figures alone (a report's first column,
// without rules, or one beside each group of rows) become the grid's first column, when there
// are a few at least.
void TakeRowLabels(TableGrid& grid, const Page& page);

// Grids of rules that meet each other (a cell spanning where an inner rule is missing),
// with at least the rows and columns a table has; marks the horizontal rules they use.
std::vector<TableGrid> RuledTables(const Rules& rules, double unit, const TableOptions& options,
                                   std::vector<bool>& used_horizontal);

// Three rules of one extent among `free` ones: a top rule, one under the header and a
// bottom rule; columns from the channels the body's cells leave blank.
std::vector<TableGrid> ThreeRuleTables(const Page& page, const std::vector<Rule>& free, double unit,
                                       const TableOptions& options);

// Tables drawn without rules: runs of rows, each of several pieces, that share at least
// the blank channels of a few columns; lines inside `found` tables left out.
std::vector<TableGrid> OpenTables(const Page& page, const std::vector<TableGrid>& found,
                                  double unit, const TableOptions& options);

// The rule under a header set over several lines: the highest rule across all the boxes
// with some of them above it, fewer than below, and rows below; where the header ends.
std::optional<float> HeaderRule(const std::vector<Rule>& rules,
                                const std::vector<cv::Rect2f>& boxes, double unit);

// A header of labels stacked over the body's columns above `rule`: a label over others
// (underlined as far as the columns it names run) a level above them, a label standing alone
// the levels down to the rule. Its rows' edges, top to the rule, and which label holds each
// of its base cells (-1 none). None when the labels do not stack into levels.
struct StackedHeader {
    std::vector<float> row_edges;
    std::vector<std::vector<int>> owner;  // [row][column]
    // Whether one label holds base cell (r, c) and the one right of it (or below it).
    bool Joins(int r, int c, bool right) const;
};
std::optional<StackedHeader> StackHeader(std::vector<cv::Rect2f> head,
                                         const std::vector<cv::Rect2f>& body,
                                         const std::vector<Rule>& rules,
                                         const std::vector<float>& column_edges, float rule,
                                         double unit);

// All of the page's lines as one table (`rules`: those that part cells), for a picture its caller
// says is one: rows from the lines' places (a cell's wrapped line joins its row), columns from the
// blank channels most rows leave, a piece over a channel spanning the columns on either side.
std::optional<TableGrid> WholeTable(const Page& page, const Rules& rules, double unit,
                                    const TableOptions& options);
// The column edges such a table has, from its characters' places: left edge, the channels'
// middles, right edge.
std::vector<float> WholeColumnEdges(const Page& page, double unit, const TableOptions& options);

}  // namespace ocrgated::layout
