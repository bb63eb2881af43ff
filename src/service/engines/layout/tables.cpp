#include "service/engines/layout/tables.h"

#include "service/engines/layout/rule_split.h"
#include "service/engines/layout/table_grid.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace ocrgated::layout {
namespace {

double Thickness(const Page& page) {
    std::vector<double> heights;
    for (const TextLine& line : page.lines)
        heights.push_back(line.box.height);
    if (heights.empty())
        return 1;
    std::nth_element(heights.begin(), heights.begin() + heights.size() / 2, heights.end());
    return std::max(1.0, heights[heights.size() / 2]);
}

bool Meet(const Rule& h, const Rule& v, double reach) {
    return v.from.x >= h.from.x - reach && v.from.x <= h.to.x + reach &&
           h.from.y >= v.from.y - reach && h.from.y <= v.to.y + reach;
}

// Whether rules along `horizontal` at `at` cover most of the middle of [from, to]; a
// photographed rule comes in pieces.
bool Ruled(const std::vector<Rule>& rules, bool horizontal, double at, double from, double to,
           double merge) {
    const double lo = from + (to - from) / 4, hi = to - (to - from) / 4;
    std::vector<std::pair<double, double>> spans;
    for (const Rule& r : rules) {
        const double position = horizontal ? r.from.y : r.from.x;
        const double start = horizontal ? r.from.x : r.from.y, end = horizontal ? r.to.x : r.to.y;
        if (std::abs(position - at) <= merge && end > lo && start < hi)
            spans.emplace_back(std::max(start, lo), std::min(end, hi));
    }
    std::sort(spans.begin(), spans.end());
    double covered = 0, reach = lo;
    for (const auto& [start, end] : spans) {
        covered += std::max(0.0, end - std::max(start, reach));
        reach = std::max(reach, end);
    }
    return covered >= 0.8 * (hi - lo);
}

// Grids of rules that meet each other, with at least the rows and columns a table has.
std::vector<TableGrid> RuledTables(const Rules& rules, double unit, const TableOptions& options,
                                   std::vector<bool>& used_horizontal) {
    const auto& h = rules.horizontal;
    const auto& v = rules.vertical;
    Groups nets(h.size() + v.size());
    for (std::size_t i = 0; i < h.size(); ++i)
        for (std::size_t j = 0; j < v.size(); ++j)
            if (Meet(h[i], v[j], options.rule_reach * unit))
                nets.Join(i, h.size() + j);
    std::vector<TableGrid> tables;
    for (std::size_t root = 0; root < h.size() + v.size(); ++root) {
        std::vector<Rule> across, down;
        std::vector<std::size_t> members;
        for (std::size_t i = 0; i < h.size(); ++i)
            if (nets.Find(i) == root) {
                across.push_back(h[i]);
                members.push_back(i);
            }
        for (std::size_t j = 0; j < v.size(); ++j)
            if (nets.Find(h.size() + j) == root)
                down.push_back(v[j]);
        std::vector<float> ys, xs;
        for (const Rule& r : across)
            ys.push_back(r.from.y);
        for (const Rule& r : down)
            xs.push_back(r.from.x);
        TableGrid grid;
        const double merge = options.edge_merge * unit;
        grid.row_edges = Clustered(ys, merge);
        grid.column_edges = Clustered(xs, merge);
        // A grid drawn without its frame: its rules run on past the outermost ones across.
        const auto ends = [](const std::vector<Rule>& rules, bool horizontal) {
            std::vector<float> from, to;
            for (const Rule& r : rules) {
                from.push_back(horizontal ? r.from.x : r.from.y);
                to.push_back(horizontal ? r.to.x : r.to.y);
            }
            std::sort(from.begin(), from.end());
            std::sort(to.begin(), to.end());
            return std::pair{from[from.size() / 2], to[to.size() / 2]};
        };
        const auto frame = [&](std::vector<float>& edges, std::pair<float, float> reach) {
            if (!edges.empty() && reach.first < edges.front() - merge)
                edges.insert(edges.begin(), reach.first);
            if (!edges.empty() && reach.second > edges.back() + merge)
                edges.push_back(reach.second);
        };
        if (!across.empty() && !down.empty()) {
            frame(grid.column_edges, ends(across, true));
            frame(grid.row_edges, ends(down, false));
        }
        if (int(grid.row_edges.size()) - 1 < options.min_rows ||
            int(grid.column_edges.size()) - 1 < options.min_columns)
            continue;
        grid.cells = Cells(grid, [&](int r, int c, bool right) {
            const auto& rows = grid.row_edges;
            const auto& columns = grid.column_edges;
            return right ? !Ruled(down, false, columns[std::size_t(c + 1)], rows[std::size_t(r)],
                                  rows[std::size_t(r + 1)], merge)
                         : !Ruled(across, true, rows[std::size_t(r + 1)], columns[std::size_t(c)],
                                  columns[std::size_t(c + 1)], merge);
        });
        grid.ruled = true;
        for (std::size_t i : members)
            used_horizontal[i] = true;
        tables.push_back(std::move(grid));
    }
    return tables;
}

bool SameExtent(const Rule& a, const Rule& b, double slack) {
    return std::abs(a.from.x - b.from.x) <= slack && std::abs(a.to.x - b.to.x) <= slack;
}

// The boundaries between rows: the middle of the blank between one and the next.
void AddRowEdges(const std::vector<std::pair<float, float>>& rows, std::vector<float>& edges) {
    for (std::size_t i = 1; i < rows.size(); ++i)
        edges.push_back((rows[i - 1].second + rows[i].first) / 2);
}

// Three rules of one extent: the top, one under the header (a few lines below the top)
// and the bottom; columns are the channels the body's short cells leave blank.
std::vector<TableGrid> ThreeRuleTables(const Page& page, const std::vector<Rule>& free, double unit,
                                       const TableOptions& options) {
    std::vector<TableGrid> tables;
    for (std::size_t i = 0; i < free.size(); ++i) {
        std::vector<std::size_t> run{i};
        for (std::size_t j = i + 1; j < free.size(); ++j)
            if (SameExtent(free[i], free[j], 2 * unit))
                run.push_back(j);
        if (run.size() < 3)
            continue;
        const Rule &top = free[run[0]], &header = free[run[1]], &bottom = free[run.back()];
        if (header.from.y - top.from.y > options.header_rows * 2 * unit)
            continue;
        const float left = top.from.x, right = top.to.x;
        std::vector<cv::Rect2f> head, body;
        std::vector<float> widths;
        for (const TextLine& line : page.lines) {
            const cv::Point2f c = Centre(line.box);
            if (c.x < left || c.x > right || c.y < top.from.y || c.y > bottom.from.y)
                continue;
            (c.y < header.from.y ? head : body).push_back(line.box);
            if (c.y > header.from.y)
                widths.push_back(line.box.width);
        }
        if (head.empty() || body.empty())
            continue;
        std::nth_element(widths.begin(), widths.begin() + widths.size() / 2, widths.end());
        if (widths[widths.size() / 2] > options.max_cell_share * (right - left))
            continue;
        TableGrid grid;
        grid.column_edges.push_back(left);
        for (float middle : Channels(body, left, options.min_channel * unit))
            grid.column_edges.push_back(middle);
        grid.column_edges.push_back(right);
        const auto head_rows = Rows(head), body_rows = JoinWrappedRows(Rows(body));
        grid.row_edges.push_back(top.from.y);
        AddRowEdges(head_rows, grid.row_edges);
        grid.row_edges.push_back(header.from.y);
        AddRowEdges(body_rows, grid.row_edges);
        grid.row_edges.push_back(bottom.from.y);
        if (int(grid.row_edges.size()) - 1 < options.min_rows ||
            int(grid.column_edges.size()) - 1 < options.min_columns)
            continue;
        // A header over several columns spans them: it crosses their channels.
        const int header_rows = int(head_rows.size());
        const auto in_row = [&](const cv::Rect2f& box, int r) {
            const float y = Centre(box).y;
            return y > grid.row_edges[std::size_t(r)] && y < grid.row_edges[std::size_t(r + 1)];
        };
        const int columns = int(grid.column_edges.size()) - 1;
        grid.cells = Cells(grid, [&](int r, int c, bool right_edge) {
            if (!right_edge || r >= header_rows ||
                std::count_if(head.begin(), head.end(),
                              [&](const auto& b) { return in_row(b, r); }) >= columns)
                return false;
            const float edge = grid.column_edges[std::size_t(c + 1)];
            return std::any_of(head.begin(), head.end(), [&](const cv::Rect2f& box) {
                return box.x < edge && box.x + box.width > edge && in_row(box, r);
            });
        });
        tables.push_back(std::move(grid));
        i = run.back();
    }
    return tables;
}

// Rules long enough to part cells that do not run through a line of text: strokes of
// characters (一, 二, underlines of a word) joined along a line look like short rules.
Rules TableRules(const Page& page, double unit, const TableOptions& options) {
    const auto through_text = [&](const Rule& rule, bool horizontal) {
        return std::any_of(page.lines.begin(), page.lines.end(), [&](const TextLine& line) {
            const cv::Rect2f& b = line.box;
            const float at = horizontal ? rule.from.y : rule.from.x;
            const float lo = horizontal ? b.y : b.x, size = horizontal ? b.height : b.width;
            const float start = horizontal ? rule.from.x : rule.from.y;
            const float end = horizontal ? rule.to.x : rule.to.y;
            const float b_start = horizontal ? b.x : b.y;
            const float b_end = horizontal ? b.x + b.width : b.y + b.height;
            const float overlap = std::min(end, b_end) - std::max(start, b_start);
            // Through the middle of a line, or along its glyphs' tops or feet without
            // reaching past its ends (a row of figures has flat tops).
            const bool middle = at > lo + size * 0.2f && at < lo + size * 0.8f &&
                                overlap > 0.5f * std::min(end - start, b_end - b_start);
            const bool along = at > lo + size * 0.05f && at < lo + size * 0.95f &&
                               start >= b_start - unit / 2 && end <= b_end + unit / 2;
            return middle || along;
        });
    };
    Rules kept;
    const double shortest = options.min_rule * unit;
    for (const Rule& r : page.rules.horizontal)
        if (r.to.x - r.from.x >= shortest && !through_text(r, true))
            kept.horizontal.push_back(r);
    for (const Rule& r : page.rules.vertical)
        if (r.to.y - r.from.y >= shortest && !through_text(r, false))
            kept.vertical.push_back(r);
    return kept;
}

// A row without rules whose pieces are one per column, each near its own, puts them in
// order: a header set flush left over figures set flush right stands past the channel's
// middle, by which the centres go.
void PlaceInOrder(TableGrid& grid, const Page& page) {
    const int columns = int(grid.column_edges.size()) - 1;
    const auto column_of = [&](float x) {
        const auto at =
            std::upper_bound(grid.column_edges.begin() + 1, grid.column_edges.end() - 1, x);
        return int(at - grid.column_edges.begin()) - 1;
    };
    for (int r = 0; r + 1 < int(grid.row_edges.size()); ++r) {
        std::vector<GridCell*> row;
        std::vector<std::size_t> pieces;
        for (GridCell& cell : grid.cells)
            if (cell.row_start == r && cell.row_end == r + 1 &&
                cell.col_end == cell.col_start + 1) {
                row.push_back(&cell);
                pieces.insert(pieces.end(), cell.lines.begin(), cell.lines.end());
            }
        if (int(row.size()) != columns || int(pieces.size()) != columns)
            continue;
        std::sort(pieces.begin(), pieces.end(), [&](std::size_t a, std::size_t b) {
            return page.lines[a].box.x < page.lines[b].box.x;
        });
        bool near = true;
        for (int c = 0; c < columns; ++c)
            near = near &&
                   std::abs(column_of(Centre(page.lines[pieces[std::size_t(c)]].box).x) - c) <= 1;
        if (!near)
            continue;
        std::sort(row.begin(), row.end(),
                  [](const GridCell* a, const GridCell* b) { return a->col_start < b->col_start; });
        for (int c = 0; c < columns; ++c)
            row[std::size_t(c)]->lines = {pieces[std::size_t(c)]};
    }
}

}  // namespace

std::vector<TableGrid> FindTables(const Page& whole, const TableOptions& options) {
    if (whole.vertical || whole.lines.empty())
        return {};
    const double unit = Thickness(whole);
    std::vector<std::size_t> origin;  // of each line of `page`: the line of `whole` it is from
    const Page page = SplitAtRules(whole, options.cutting_rule * unit, origin);
    const Rules rules = TableRules(page, unit, options);
    std::vector<bool> used(rules.horizontal.size(), false);
    std::vector<TableGrid> tables = RuledTables(rules, unit, options, used);
    std::vector<Rule> free;
    for (std::size_t i = 0; i < used.size(); ++i)
        if (!used[i])
            free.push_back(rules.horizontal[i]);
    for (TableGrid& grid : ThreeRuleTables(page, free, unit, options))
        tables.push_back(std::move(grid));
    for (TableGrid& grid : OpenTables(page, tables, unit, options))
        tables.push_back(std::move(grid));
    // Each line to the cell its centre stands in, in reading order within it.
    std::vector<std::size_t> order(page.lines.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        const cv::Point2f ca = Centre(page.lines[a].box), cb = Centre(page.lines[b].box);
        return std::abs(ca.y - cb.y) > unit / 2 ? ca.y < cb.y : ca.x < cb.x;
    });
    for (TableGrid& grid : tables) {
        for (std::size_t i : order)
            for (GridCell& cell : grid.cells)
                if (cell.box.contains(Centre(page.lines[i].box))) {
                    cell.lines.push_back(i);
                    break;
                }
        if (!grid.ruled)
            PlaceInOrder(grid, page);
    }
    // A title just above a table and notes just below it, over its width and in no table.
    const auto in_a_table = [&](const cv::Point2f& c) {
        return std::any_of(tables.begin(), tables.end(),
                           [&](const TableGrid& grid) { return grid.box().contains(c); });
    };
    for (TableGrid& grid : tables) {
        const cv::Rect2f box = grid.box();
        for (std::size_t i : order) {
            const cv::Rect2f& line = page.lines[i].box;
            const cv::Point2f c = Centre(line);
            if (c.x < box.x || c.x > box.x + box.width || in_a_table(c))
                continue;
            const double above = box.y - (line.y + line.height);
            const double below = line.y - (box.y + box.height);
            if (above >= -line.height / 4 && above <= options.note_gap * unit)
                grid.header.push_back(i);
            else if (below >= -line.height / 4 && below <= options.note_gap * unit)
                grid.footer.push_back(i);
        }
    }
    // A grid that holds no text is a drawing or a form's frame, not a table.
    std::erase_if(tables, [](const TableGrid& grid) {
        return std::none_of(grid.cells.begin(), grid.cells.end(),
                            [](const GridCell& cell) { return !cell.lines.empty(); });
    });
    std::sort(tables.begin(), tables.end(), [](const TableGrid& a, const TableGrid& b) {
        return a.row_edges[0] < b.row_edges[0];
    });
    const auto to_whole = [&](std::vector<std::size_t>& lines) {
        for (std::size_t& i : lines)
            i = origin[i];
        lines.erase(std::unique(lines.begin(), lines.end()), lines.end());
    };
    for (TableGrid& grid : tables) {
        for (GridCell& cell : grid.cells) {
            for (std::size_t i : cell.lines)
                cell.texts.push_back(page.lines[i].text);
            for (std::size_t& i : cell.lines)
                i = origin[i];
        }
        to_whole(grid.header);
        to_whole(grid.footer);
    }
    return tables;
}

}  // namespace ocrgated::layout
