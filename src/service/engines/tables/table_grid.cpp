#include "service/engines/tables/table_grid.h"

#include <algorithm>

namespace ocrgated::layout {

std::vector<float> Clustered(std::vector<float> values, double merge) {
    std::sort(values.begin(), values.end());
    std::vector<float> edges;
    std::vector<int> counts;
    for (float v : values) {
        if (!edges.empty() && v - edges.back() <= merge) {
            edges.back() = (edges.back() * counts.back() + v) / float(counts.back() + 1);
            ++counts.back();
        } else {
            edges.push_back(v);
            counts.push_back(1);
        }
    }
    return edges;
}

cv::Point2f Centre(const cv::Rect2f& box) {
    return {box.x + box.width / 2, box.y + box.height / 2};
}

int ColumnOf(const std::vector<float>& edges, float x) {
    const auto at = std::upper_bound(edges.begin() + 1, edges.end() - 1, x);
    return int(at - edges.begin()) - 1;
}

void AddRowEdges(const std::vector<std::pair<float, float>>& rows, std::vector<float>& edges) {
    for (std::size_t i = 1; i < rows.size(); ++i)
        edges.push_back((rows[i - 1].second + rows[i].first) / 2);
}

std::vector<std::pair<float, float>> Rows(std::vector<cv::Rect2f> boxes) {
    std::sort(boxes.begin(), boxes.end(),
              [](const auto& a, const auto& b) { return Centre(a).y < Centre(b).y; });
    std::vector<std::pair<float, float>> rows;
    for (const cv::Rect2f& box : boxes) {
        if (!rows.empty() && Centre(box).y < rows.back().second)
            rows.back().second = std::max(rows.back().second, box.y + box.height);
        else
            rows.emplace_back(box.y, box.y + box.height);
    }
    return rows;
}

namespace {

// Whether the rows `above` and `row` each have a piece with nothing across from it in the
// other, while some piece of `row` stands under one above (a label centred beside a cell's
// two lines stands under nothing).
bool EachStandsAlone(const std::vector<cv::Rect2f>& boxes, std::pair<float, float> above,
                     std::pair<float, float> row) {
    std::vector<cv::Rect2f> a, b;
    for (const cv::Rect2f& box : boxes) {
        const float y = Centre(box).y;
        if (y >= above.first && y <= above.second)
            a.push_back(box);
        else if (y >= row.first && y <= row.second)
            b.push_back(box);
    }
    const auto across = [](const cv::Rect2f& p, const std::vector<cv::Rect2f>& those) {
        return std::any_of(those.begin(), those.end(), [&](const cv::Rect2f& q) {
            return p.x < q.x + q.width && q.x < p.x + p.width;
        });
    };
    const auto alone = [&](const std::vector<cv::Rect2f>& these,
                           const std::vector<cv::Rect2f>& those) {
        return std::any_of(these.begin(), these.end(),
                           [&](const cv::Rect2f& p) { return !across(p, those); });
    };
    const bool under =
        std::any_of(b.begin(), b.end(), [&](const cv::Rect2f& p) { return across(p, a); });
    return under && alone(a, b) && alone(b, a);
}

}  // namespace

std::vector<std::pair<float, float>> JoinWrappedRows(std::vector<std::pair<float, float>> rows,
                                                     const std::vector<cv::Rect2f>* boxes) {
    if (rows.size() < 3)
        return rows;
    std::vector<float> gaps;
    for (std::size_t i = 1; i < rows.size(); ++i)
        gaps.push_back(rows[i].first - rows[i - 1].second);
    std::nth_element(gaps.begin(), gaps.begin() + std::ptrdiff_t(gaps.size() / 2), gaps.end());
    const float usual = gaps[gaps.size() / 2];
    std::vector<float> heights;
    for (const auto& [top, bottom] : rows)
        heights.push_back(bottom - top);
    std::nth_element(heights.begin(), heights.begin() + std::ptrdiff_t(heights.size() / 2),
                     heights.end());
    // Rows set so close that their boxes nearly touch say nothing of wrapped lines.
    if (usual < 0.2f * heights[heights.size() / 2])
        return rows;
    std::vector<std::pair<float, float>> joined{rows.front()};
    for (std::size_t i = 1; i < rows.size(); ++i) {
        if (rows[i].first - joined.back().second < usual / 2 &&
            !(boxes && EachStandsAlone(*boxes, joined.back(), rows[i])))
            joined.back().second = std::max(joined.back().second, rows[i].second);
        else
            joined.push_back(rows[i]);
    }
    return joined;
}

std::vector<float> Channels(std::vector<cv::Rect2f> boxes, float left, double narrowest) {
    std::sort(boxes.begin(), boxes.end(), [](const auto& a, const auto& b) { return a.x < b.x; });
    std::vector<float> middles;
    float reach = left;
    bool inside = false;  // past the first box
    for (const cv::Rect2f& box : boxes) {
        if (inside && box.x - reach >= narrowest)
            middles.push_back((reach + box.x) / 2);
        reach = std::max(reach, box.x + box.width);
        inside = true;
    }
    return middles;
}

std::vector<GridCell> Cells(const TableGrid& grid,
                            const std::function<bool(int, int, bool)>& open) {
    const int rows = int(grid.row_edges.size()) - 1, columns = int(grid.column_edges.size()) - 1;
    Groups groups(std::size_t(rows * columns));
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c) {
            if (c + 1 < columns && open(r, c, true))
                groups.Join(std::size_t(r * columns + c), std::size_t(r * columns + c + 1));
            if (r + 1 < rows && open(r, c, false))
                groups.Join(std::size_t(r * columns + c), std::size_t((r + 1) * columns + c));
        }
    std::vector<GridCell> cells;
    std::vector<int> cell_of(std::size_t(rows * columns), -1);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c) {
            const std::size_t root = groups.Find(std::size_t(r * columns + c));
            if (cell_of[root] < 0) {
                cell_of[root] = int(cells.size());
                cells.push_back({r, r + 1, c, c + 1, {}, {}, {}});
            }
            GridCell& cell = cells[std::size_t(cell_of[root])];
            cell.row_end = std::max(cell.row_end, r + 1);
            cell.col_start = std::min(cell.col_start, c);
            cell.col_end = std::max(cell.col_end, c + 1);
        }
    for (GridCell& cell : cells) {
        const float x0 = grid.column_edges[std::size_t(cell.col_start)];
        const float y0 = grid.row_edges[std::size_t(cell.row_start)];
        cell.box = {x0, y0, grid.column_edges[std::size_t(cell.col_end)] - x0,
                    grid.row_edges[std::size_t(cell.row_end)] - y0};
    }
    return cells;
}

void TakeRowLabels(TableGrid& grid, const Page& page) {
    const float left = grid.column_edges.front();
    const int rows = int(grid.row_edges.size()) - 1;
    float from = left;
    int labels = 0;
    for (const TextLine& line : page.lines) {
        const cv::Point2f c = Centre(line.box);
        if (line.text.empty() || c.x >= left || c.y <= grid.row_edges.front() ||
            c.y >= grid.row_edges.back())
            continue;
        from = std::min(from, line.box.x);
        ++labels;
    }
    if (labels < 2 || 4 * labels < rows)
        return;
    grid.column_edges.insert(grid.column_edges.begin(), from);
    for (GridCell& cell : grid.cells) {
        ++cell.col_start;
        ++cell.col_end;
    }
    for (int r = 0; r < rows; ++r) {
        const float top = grid.row_edges[std::size_t(r)];
        const float bottom = grid.row_edges[std::size_t(r + 1)];
        grid.cells.push_back(
            {r, r + 1, 0, 1, cv::Rect2f(from, top, left - from, bottom - top), {}, {}});
    }
    std::sort(grid.cells.begin(), grid.cells.end(), [](const GridCell& a, const GridCell& b) {
        return std::pair(a.row_start, a.col_start) < std::pair(b.row_start, b.col_start);
    });
}

}  // namespace ocrgated::layout
