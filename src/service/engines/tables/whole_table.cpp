#include "service/engines/tables/table_grid.h"

#include <algorithm>
#include <cmath>
#include <span>

namespace ocrgated::layout {
namespace {

// Column edges of lines said to be one table: the blank channels that few rows cross.
// A header that spans the columns under it, or a long label running into its neighbour,
// crosses a channel in one row or two; the channel stays.
std::vector<float> ColumnEdges(const std::vector<const TextLine*>& lines,
                               const std::vector<std::pair<float, float>>& rows, double unit,
                               const TableOptions& options, bool by_glyphs,
                               bool header_row = true) {
    float left = 1e30f, right = -1e30f;
    for (const TextLine* line : lines) {
        left = std::min(left, line->box.x);
        right = std::max(right, line->box.x + line->box.width);
    }
    const int width = std::max(1, int(std::ceil(right - left)));
    // For each pixel column, the rows that have ink there. The top row of a table of a few is
    // its header, free to stand over the channels: its columns are the body's.
    const bool headed = header_row && rows.size() > 2;
    std::vector<int> crossed(std::size_t(width) + 1, 0);
    for (const auto& [top, bottom] : std::span(rows).subspan(headed ? 1 : 0)) {
        std::vector<bool> inked(crossed.size(), false);
        for (const TextLine* line : lines) {
            const float y = Centre(line->box).y;
            if (y < top || y > bottom)
                continue;
            // By the characters where they are placed, when asked: the detector reads
            // cells set close as one line, and their channel runs between its characters.
            std::vector<std::pair<float, float>> extents;
            if (by_glyphs)
                extents = line->glyphs;
            if (extents.empty())
                extents = {{line->box.x, line->box.x + line->box.width}};
            for (const auto& [x0, x1] : extents) {
                const int from = std::clamp(int(x0 - left), 0, width);
                const int to = std::clamp(int(x1 - left), 0, width);
                std::fill(inked.begin() + from, inked.begin() + to + 1, true);
            }
        }
        for (std::size_t x = 0; x < inked.size(); ++x)
            crossed[x] += inked[x];
    }
    // A header over its columns may cross a channel of a short table too.
    const int allowed = rows.size() < 3 ? 0 : std::max(1, int(rows.size()) / 6);
    std::vector<float> edges{left};
    // A run that few rows cross is a channel, unless pieces stand wholly inside it: a column
    // with an entry or two (a flag, a note), whose own blank sides are the channels. A piece
    // of the top row alone is a header set apart from its column (centred over entries set
    // flush left), not a column of its own.
    const float header_bottom = headed ? rows.front().second : -1e30f;
    const auto channel = [&](int from, int to) {
        std::vector<std::pair<float, float>> inside;
        for (const TextLine* line : lines) {
            const float x0 = line->box.x - left, x1 = x0 + line->box.width;
            if (x0 >= float(from) && x1 <= float(to) && Centre(line->box).y > header_bottom)
                inside.emplace_back(x0, x1);
        }
        std::sort(inside.begin(), inside.end());
        float blank = float(from);
        for (const auto& [x0, x1] : inside) {
            if (x0 - blank >= options.min_whole_channel * unit)
                edges.push_back(left + (blank + x0) / 2);
            blank = std::max(blank, x1);
        }
        if (float(to) - blank >= options.min_whole_channel * unit)
            edges.push_back(left + (blank + float(to)) / 2);
    };
    int start = -1;
    for (int x = 0; x <= width; ++x) {
        const bool blank = crossed[std::size_t(x)] <= allowed;
        if (blank && start < 0)
            start = x;
        if (!blank && start >= 0) {
            if (start > 0)
                channel(start, x);
            start = -1;
        }
    }
    edges.push_back(right);
    return edges;
}

// The page's lines with text, and their rows (a cell's wrapped line joined to its row).
struct TextRows {
    std::vector<const TextLine*> lines;
    std::vector<std::pair<float, float>> rows;
};

std::vector<cv::Rect2f> Boxes(const std::vector<const TextLine*>& lines) {
    std::vector<cv::Rect2f> boxes;
    for (const TextLine* line : lines)
        boxes.push_back(line->box);
    return boxes;
}

TextRows RowsOf(std::vector<const TextLine*> lines) {
    const std::vector<cv::Rect2f> boxes = Boxes(lines);
    return {std::move(lines), JoinWrappedRows(Rows(boxes), &boxes)};
}

TextRows RowsOfText(const Page& page) {
    std::vector<const TextLine*> lines;
    for (const TextLine& line : page.lines)
        if (!line.text.empty())
            lines.push_back(&line);
    return RowsOf(std::move(lines));
}

// A piece standing well over the inner edge right of base cell (r, c) joins the cells on
// either side: a header over the columns it names.
bool Spans(const std::vector<const TextLine*>& lines, const TableGrid& grid, double unit, int r,
           int c) {
    const float edge = grid.column_edges[std::size_t(c + 1)];
    const float top = grid.row_edges[std::size_t(r)], bottom = grid.row_edges[std::size_t(r + 1)];
    return std::any_of(lines.begin(), lines.end(), [&](const TextLine* line) {
        const cv::Rect2f& b = line->box;
        const float y = Centre(b).y;
        return y > top && y < bottom && b.x < edge - unit / 4 && b.x + b.width > edge + unit / 4;
    });
}

// The body's rows after the edges the grid has: between each two, and the last's bottom.
void AddBodyRows(TableGrid& grid, const std::vector<std::pair<float, float>>& rows) {
    AddRowEdges(rows, grid.row_edges);
    grid.row_edges.push_back(rows.back().second);
}

// Where rows stand well apart and the lines within them close, a line with nothing in the
// first column (left of `first_edge`) continues the row above: a cell's text wrapped over
// lines. The header's row takes none.
std::vector<std::pair<float, float>> WithWrappedCells(std::vector<std::pair<float, float>> rows,
                                                      const std::vector<const TextLine*>& lines,
                                                      float first_edge) {
    if (rows.size() < 3)
        return rows;
    float widest = 0;
    for (std::size_t i = 1; i < rows.size(); ++i)
        widest = std::max(widest, rows[i].first - rows[i - 1].second);
    const auto labelled = [&](const std::pair<float, float>& row) {
        return std::any_of(lines.begin(), lines.end(), [&](const TextLine* line) {
            const cv::Point2f c = Centre(line->box);
            return c.y >= row.first && c.y <= row.second && c.x < first_edge;
        });
    };
    std::vector<std::pair<float, float>> joined{rows[0], rows[1]};
    for (std::size_t i = 2; i < rows.size(); ++i) {
        if (rows[i].first - joined.back().second < widest / 3 && !labelled(rows[i]))
            joined.back().second = std::max(joined.back().second, rows[i].second);
        else
            joined.push_back(rows[i]);
    }
    return joined;
}

// A paper's table: a header of labels stacked over several lines above a rule across the
// table, the body's columns from the body alone.
std::optional<TableGrid> UnderStackedHeader(const std::vector<Rule>& rules, const TextRows& text,
                                            double unit, const TableOptions& options) {
    const auto rule = HeaderRule(rules, Boxes(text.lines), unit);
    if (!rule)
        return std::nullopt;
    std::vector<const TextLine*> head, body;
    for (const TextLine* line : text.lines)
        (Centre(line->box).y < *rule ? head : body).push_back(line);
    const TextRows below = RowsOf(body);
    TableGrid grid;
    grid.column_edges = ColumnEdges(body, below.rows, unit, options, true, false);
    for (const TextLine* line : head) {
        grid.column_edges.front() = std::min(grid.column_edges.front(), line->box.x);
        grid.column_edges.back() = std::max(grid.column_edges.back(), line->box.br().x);
    }
    const auto header =
        StackHeader(Boxes(head), Boxes(body), rules, grid.column_edges, *rule, unit);
    if (!header)
        return std::nullopt;
    grid.row_edges = header->row_edges;
    const int levels = int(header->owner.size());
    AddBodyRows(grid, WithWrappedCells(below.rows, body, grid.column_edges[1]));
    grid.cells = Cells(grid, [&](int r, int c, bool right) {
        if (r >= levels)
            return right && Spans(body, grid, unit, r, c);
        return header->Joins(r, c, right);
    });
    return grid;
}

}  // namespace

std::vector<float> WholeColumnEdges(const Page& page, double unit, const TableOptions& options) {
    const TextRows text = RowsOfText(page);
    if (text.lines.empty())
        return {};
    return ColumnEdges(text.lines, text.rows, unit, options, true);
}

std::optional<TableGrid> WholeTable(const Page& page, const Rules& rules, double unit,
                                    const TableOptions& options) {
    const TextRows text = RowsOfText(page);
    const auto& lines = text.lines;
    if (lines.empty())
        return std::nullopt;
    if (auto headed = UnderStackedHeader(rules.horizontal, text, unit, options))
        return headed;
    TableGrid grid;
    grid.column_edges = ColumnEdges(lines, text.rows, unit, options, true);
    const auto rows = WithWrappedCells(text.rows, lines, grid.column_edges[1]);
    grid.row_edges.push_back(rows.front().first);
    AddBodyRows(grid, rows);
    grid.cells = Cells(
        grid, [&](int r, int c, bool right) { return right && Spans(lines, grid, unit, r, c); });
    return grid;
}

}  // namespace ocrgated::layout
