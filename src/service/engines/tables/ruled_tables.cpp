#include "service/engines/tables/table_grid.h"

#include <algorithm>
#include <cmath>

namespace ocrgated::layout {
namespace {

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

bool SameExtent(const Rule& a, const Rule& b, double slack) {
    return std::abs(a.from.x - b.from.x) <= slack && std::abs(a.to.x - b.to.x) <= slack;
}

}  // namespace

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
        // A header of labels stacked over several lines; else each line of it a row.
        const auto stacked = StackHeader(head, body, free, grid.column_edges, header.from.y, unit);
        const auto head_rows = Rows(head), body_rows = JoinWrappedRows(Rows(body));
        grid.row_edges.push_back(top.from.y);
        if (stacked)
            grid.row_edges.insert(grid.row_edges.end(), stacked->row_edges.begin() + 1,
                                  stacked->row_edges.end() - 1);
        else
            AddRowEdges(head_rows, grid.row_edges);
        grid.row_edges.push_back(header.from.y);
        AddRowEdges(body_rows, grid.row_edges);
        grid.row_edges.push_back(bottom.from.y);
        if (int(grid.row_edges.size()) - 1 < options.min_rows ||
            int(grid.column_edges.size()) - 1 < options.min_columns)
            continue;
        // A header over several columns spans them: it crosses their channels.
        const int header_rows = stacked ? int(stacked->owner.size()) : int(head_rows.size());
        const auto in_row = [&](const cv::Rect2f& box, int r) {
            const float y = Centre(box).y;
            return y > grid.row_edges[std::size_t(r)] && y < grid.row_edges[std::size_t(r + 1)];
        };
        const int columns = int(grid.column_edges.size()) - 1;
        grid.cells = Cells(grid, [&](int r, int c, bool right_edge) {
            if (stacked && r < header_rows)
                return stacked->Joins(r, c, right_edge);
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
}  // namespace ocrgated::layout
