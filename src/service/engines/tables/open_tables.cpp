#include "service/engines/tables/table_grid.h"

#include "service/engines/layout/utf8_text.h"

#include <algorithm>
#include <string>

namespace ocrgated::layout {
namespace {

struct Row {
    float top, bottom;
    std::vector<cv::Rect2f> boxes;
    std::vector<std::size_t> lengths;  // each piece's characters
    std::vector<std::string_view> texts;
};

// An amount, a price or a count ("1,250.40", "¥4.00", "x2", "30%"); a year names a column.
bool IsFigure(std::string_view text) {
    std::string rest;
    for (std::size_t i = 0; i < text.size();) {
        bool sign = false;
        for (std::string_view currency : {"¥", "￥", "$", "€", "£"})
            if (text.substr(i).starts_with(currency)) {
                i += currency.size();
                sign = true;
                break;
            }
        if (!sign)
            rest += text[i++];
    }
    const bool digits = rest.find_first_of("0123456789") != std::string::npos;
    const bool year = rest.size() == 4 && (rest.starts_with("19") || rest.starts_with("20")) &&
                      rest.find_first_not_of("0123456789") == std::string::npos;
    return digits && !year && rest.find_first_not_of("0123456789.,%+-xX/: ") == std::string::npos;
}

// The lines in rows, top to bottom: a line joins the row whose lines reach below its centre.
std::vector<Row> RowsOf(std::vector<const TextLine*> lines) {
    std::sort(lines.begin(), lines.end(), [](const TextLine* a, const TextLine* b) {
        return Centre(a->box).y < Centre(b->box).y;
    });
    std::vector<Row> rows;
    for (const TextLine* line : lines) {
        const cv::Rect2f& box = line->box;
        if (rows.empty() || Centre(box).y >= rows.back().bottom)
            rows.push_back({box.y, box.y + box.height, {}, {}, {}});
        rows.back().bottom = std::max(rows.back().bottom, box.y + box.height);
        rows.back().boxes.push_back(box);
        rows.back().lengths.push_back(CodePoints(line->text));
        rows.back().texts.push_back(line->text);
    }
    return rows;
}

// The grid of a run of rows that share their blank channels, or nothing when the run does
// not read as a table: too few rows or columns, cells as wide as running text, or rows
// that leave most columns empty.
std::optional<TableGrid> GridOf(const std::vector<Row>& run, double unit,
                                const TableOptions& options) {
    if (int(run.size()) < options.min_open_rows)
        return std::nullopt;
    // A table names its columns in its first row; a list of goods and prices, a receipt's,
    // starts with its first item.
    const auto& first = run.front().texts;
    if (std::all_of(first.begin() + 1, first.end(), IsFigure))
        return std::nullopt;
    std::vector<cv::Rect2f> boxes;
    std::vector<float> widths;
    std::vector<std::size_t> lengths;
    float left = 1e30f, right = -1e30f;
    for (const Row& row : run) {
        lengths.insert(lengths.end(), row.lengths.begin(), row.lengths.end());
        for (const cv::Rect2f& box : row.boxes) {
            boxes.push_back(box);
            widths.push_back(box.width);
            left = std::min(left, box.x);
            right = std::max(right, box.x + box.width);
        }
    }
    std::nth_element(widths.begin(), widths.begin() + widths.size() / 2, widths.end());
    if (widths[widths.size() / 2] > options.max_cell_share * (right - left))
        return std::nullopt;
    // Cells are a word or a number; pieces of running text are longer.
    std::nth_element(lengths.begin(), lengths.begin() + lengths.size() / 2, lengths.end());
    if (lengths[lengths.size() / 2] > options.max_open_cell_length)
        return std::nullopt;
    TableGrid grid;
    grid.column_edges.push_back(left);
    // The channels are the body's: a header set flush left over figures set flush right
    // reaches into them.
    std::vector<cv::Rect2f> body;
    for (std::size_t i = 1; i < run.size(); ++i)
        body.insert(body.end(), run[i].boxes.begin(), run[i].boxes.end());
    for (float middle : Channels(body, left, options.min_open_channel * unit))
        grid.column_edges.push_back(middle);
    grid.column_edges.push_back(right);
    const int columns = int(grid.column_edges.size()) - 1;
    if (columns < options.min_open_columns)
        return std::nullopt;
    // Columns of running text fill their width line after line; a table's cells mostly
    // leave room in theirs.
    std::vector<float> fills;
    for (int c = 0; c < columns; ++c) {
        const float x0 = grid.column_edges[std::size_t(c)],
                    x1 = grid.column_edges[std::size_t(c + 1)];
        std::vector<float> own;
        for (const cv::Rect2f& b : boxes)
            if (Centre(b).x > x0 && Centre(b).x < x1)
                own.push_back(b.width / std::max(1.f, x1 - x0));
        if (own.empty())
            continue;
        std::nth_element(own.begin(), own.begin() + own.size() / 2, own.end());
        fills.push_back(own[own.size() / 2]);
    }
    std::sort(fills.begin(), fills.end());
    if (fills.empty() || fills.front() > options.max_open_fill)
        return std::nullopt;
    for (const Row& row : run) {
        int filled = 0;
        for (int c = 0; c < columns; ++c)
            filled += std::any_of(row.boxes.begin(), row.boxes.end(), [&](const cv::Rect2f& b) {
                const float x = Centre(b).x;
                return x > grid.column_edges[std::size_t(c)] &&
                       x < grid.column_edges[std::size_t(c + 1)];
            });
        if (filled < columns - 1)
            return std::nullopt;
    }
    grid.row_edges.push_back(run.front().top);
    for (std::size_t i = 1; i < run.size(); ++i)
        grid.row_edges.push_back((run[i - 1].bottom + run[i].top) / 2);
    grid.row_edges.push_back(run.back().bottom);
    grid.cells = Cells(grid, [](int, int, bool) { return false; });
    return grid;
}

}  // namespace

std::vector<TableGrid> OpenTables(const Page& page, const std::vector<TableGrid>& found,
                                  double unit, const TableOptions& options) {
    std::vector<const TextLine*> free;
    for (const TextLine& line : page.lines) {
        const cv::Point2f c = Centre(line.box);
        if (std::none_of(found.begin(), found.end(),
                         [&](const TableGrid& grid) { return grid.box().contains(c); }))
            free.push_back(&line);
    }
    std::vector<TableGrid> tables;
    std::vector<Row> run;
    const auto close = [&] {
        if (auto grid = GridOf(run, unit, options))
            tables.push_back(std::move(*grid));
        run.clear();
    };
    for (Row& row : RowsOf(free)) {
        // A row of one piece, or a wide blank above it, ends the run.
        if (row.boxes.size() < 2 ||
            (!run.empty() && row.top - run.back().bottom > options.open_row_gap * unit)) {
            close();
            if (row.boxes.size() < 2)
                continue;
        }
        run.push_back(std::move(row));
    }
    close();
    return tables;
}

}  // namespace ocrgated::layout
