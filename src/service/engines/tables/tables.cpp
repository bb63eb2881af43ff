#include "service/engines/tables/tables.h"

#include "service/engines/tables/rule_split.h"
#include "service/engines/tables/table_grid.h"

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
            // reaching past its ends (a row of figures has flat tops). A rule running
            // well past the line is drawn, unless it strikes the line's very middle: the box
            // of a line set close to it, found on an enlarged picture, reaches over it.
            const float reach = end - start > 2 * (b_end - b_start) + 2 * unit ? 0.3f : 0.2f;
            const bool middle = at > lo + size * reach && at < lo + size * (1 - reach) &&
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

// The page without the vertical "rules" that are strokes of characters set one under the
// other (a column of 1, l or [ on a small picture, figures' stems aligned down a column):
// both their ends stand in text, where a drawn rule runs on to a border or past the lines
// it parts; or they run through the middle of the characters of the lines they cross, where
// a rule runs between two, unless it runs the height of the horizontal rules (text set
// touching a grid's rules).
Page WithoutStrokeColumns(Page page) {
    float top = 1e30f, bottom = -1e30f;
    for (const Rule& r : page.rules.horizontal) {
        top = std::min(top, r.from.y);
        bottom = std::max(bottom, r.from.y);
    }
    const auto full_height = [&](const Rule& rule) {
        return bottom > top && rule.to.y - rule.from.y >= 0.8f * (bottom - top);
    };
    const auto in_text = [&](float x, float y) {
        return std::any_of(page.lines.begin(), page.lines.end(), [&](const TextLine& line) {
            const cv::Rect2f& b = line.box;
            return x > b.x && x < b.x + b.width && y > b.y && y < b.y + b.height;
        });
    };
    const auto through_characters = [&](const Rule& rule) {
        int crossed = 0, through = 0;
        for (const TextLine& line : page.lines) {
            const float y = Centre(line.box).y;
            const cv::Rect2f& b = line.box;
            if (y < rule.from.y || y > rule.to.y || rule.from.x <= b.x ||
                rule.from.x >= b.x + b.width || line.glyphs.empty())
                continue;
            ++crossed;
            // A drawn rule across a line runs on past it, between two characters.
            const auto in_character = [&](const std::pair<float, float>& g) {
                const float quarter = (g.second - g.first) / 4;
                return rule.from.x > g.first + quarter && rule.from.x < g.second - quarter;
            };
            through += rule.to.y - rule.from.y < 2 * b.height ||
                       std::any_of(line.glyphs.begin(), line.glyphs.end(), in_character);
        }
        return through > 0 && 4 * through >= crossed;
    };
    std::erase_if(page.rules.vertical, [&](const Rule& rule) {
        return (in_text(rule.from.x, rule.from.y + 1) && in_text(rule.to.x, rule.to.y - 1)) ||
               (through_characters(rule) && !full_height(rule));
    });
    return page;
}

// A row without rules whose pieces are one per column, each near its own, puts them in
// order: a header set flush left over figures set flush right stands past the channel's
// middle, by which the centres go.
void PlaceInOrder(TableGrid& grid, const Page& page) {
    const int columns = int(grid.column_edges.size()) - 1;
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
        for (int c = 0; c < columns; ++c) {
            const float x = Centre(page.lines[pieces[std::size_t(c)]].box).x;
            near = near && std::abs(ColumnOf(grid.column_edges, x) - c) <= 1;
        }
        if (!near)
            continue;
        std::sort(row.begin(), row.end(),
                  [](const GridCell* a, const GridCell* b) { return a->col_start < b->col_start; });
        for (int c = 0; c < columns; ++c)
            row[std::size_t(c)]->lines = {pieces[std::size_t(c)]};
    }
}

// Of the ruled tables found, the one that holds most of the lines; all the lines as one
// table when none holds half of them. Tables found by their channels alone are left for
// the whole: a label standing beside several rows, or a header over two lines, ends them
// before the picture does.
void KeepOneTable(std::vector<TableGrid>& tables, const Page& page, const Rules& rules, double unit,
                  const TableOptions& options) {
    const auto held = [&](const TableGrid& grid) {
        return std::count_if(page.lines.begin(), page.lines.end(), [&](const TextLine& line) {
            return grid.box().contains(Centre(line.box));
        });
    };
    // Rules around blocks of many rows of text draw groups of rows, not cells: a report's
    // table ruled only under its header and above its total.
    const auto groups_rows = [&](const TableGrid& grid) {
        return std::any_of(grid.cells.begin(), grid.cells.end(), [&](const GridCell& cell) {
            std::vector<cv::Rect2f> boxes;
            for (const TextLine& line : page.lines)
                if (cell.box.contains(Centre(line.box)))
                    boxes.push_back(line.box);
            return int(Rows(boxes).size()) >= options.max_rows_in_ruled_cell;
        });
    };
    std::erase_if(tables, [&](const TableGrid& grid) { return !grid.ruled || groups_rows(grid); });
    const auto most =
        std::max_element(tables.begin(), tables.end(),
                         [&](const TableGrid& a, const TableGrid& b) { return held(a) < held(b); });
    if (most != tables.end() && 2 * held(*most) >= std::ptrdiff_t(page.lines.size())) {
        TableGrid kept = std::move(*most);
        TakeRowLabels(kept, page);
        tables = {std::move(kept)};
        return;
    }
    tables.clear();
    if (auto whole = WholeTable(page, rules, unit, options))
        tables.push_back(std::move(*whole));
}

}  // namespace

std::vector<TableGrid> FindTables(const Page& whole, const TableOptions& options) {
    if (whole.vertical || whole.lines.empty())
        return {};
    const double unit = Thickness(whole);
    std::vector<std::size_t> origin;  // of each line of `page`: the line of `whole` it is from
    Page page = SplitAtRules(WithoutStrokeColumns(whole), options.cutting_rule * unit, origin);
    if (options.one_table) {
        // Cells set close, read as one line, part where the table's channels run.
        const std::vector<float> edges = WholeColumnEdges(page, unit, options);
        if (edges.size() > 2)
            page = SplitAtColumns(page, {edges.begin() + 1, edges.end() - 1},
                                  options.min_whole_channel * unit, origin);
    }
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
    if (options.one_table)
        KeepOneTable(tables, page, rules, unit, options);
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
            for (std::size_t k = 0; k < cell.lines.size(); ++k) {
                const std::size_t i = cell.lines[k];
                // Pieces of a line cut where it had no space ("50." and "8" at a stroke
                // taken for a rule) are one text again.
                if (k > 0 && origin[i] == origin[cell.lines[k - 1]] &&
                    whole.lines[origin[i]].text.find(cell.texts.back() + page.lines[i].text) !=
                        std::string::npos)
                    cell.texts.back() += page.lines[i].text;
                else
                    cell.texts.push_back(page.lines[i].text);
            }
            for (std::size_t& i : cell.lines)
                i = origin[i];
        }
        to_whole(grid.header);
        to_whole(grid.footer);
    }
    return tables;
}

}  // namespace ocrgated::layout
