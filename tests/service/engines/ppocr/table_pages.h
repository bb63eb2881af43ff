#pragma once
// Tables as documents carry them: full grids (dense, serif, with cells spanning rows or
// columns), three-rule tables (one header row or two), tables without rules, photographed
// grids (perspective, turned, curved) and a grid between paragraphs, rendered with
// ImageMagick and the Noto CJK fonts; and pages without a table that must not grow one,
// a receipt's columns among them.

#include <cstdint>
#include <string>
#include <vector>

namespace quillory::testing {

struct TruthCell {
    int row, column, rows = 1, columns = 1;  // top-left place and span
    std::string words;
};

struct TablePage {
    std::string kind;
    int rows = 0, columns = 0;  // 0: no table on the page
    std::vector<TruthCell> cells;
    std::string header, footer;  // the lines above and below it that go with it
    std::vector<std::uint8_t> png;
};

std::vector<TablePage> RenderTableSet();
// Tables the stage need not find by itself, read when the caller says the picture is one:
// two columns, a header over two columns, a cell over two lines, a single cell.
std::vector<TablePage> RenderOneTableSet();

// Cells found with their text at the right top-left row and column, against the truth:
// precision and recall's harmonic mean, spaces aside and dashes as hyphens; `found` as
// (row, column, words).
double CellF1(const std::vector<TruthCell>& truth, const std::vector<TruthCell>& found);

}  // namespace quillory::testing
