// The table set read by the PP-OCR engine: each table's cell F1 (a cell counts when its
// text stands at the right top-left row and column) and whether its shape is right, and
// what the table stage costs a table page. Prints `ratio table_cell_f1=<mean F1 over the
// pages with a table>` and
// `ratio table_vs_lines_time=<with / without the stage>`.

#include "engine_timing.h"
#include "service/common/memory.h"
#include "service/engines/cores.h"
#include "service/engines/ppocr/pp_ocr_recognizer.h"
#include "table_pages.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

int main(int, char** argv) {
    using quillory::testing::TruthCell;
    ocrgated::LimitOpenMp(argv, 1);
    ocrgated::KeepNetworkBuffersInHeap();  // as ocrgated does at start
    const auto models = ocrgated::ppocr::LoadPpOcrModels(ocrgated::ppocr::DefaultModelDirectory());
    ocrgated::ppocr::PpOcrRecognizer tables(models);
    ocrgated::ppocr::PpOcrOptions lines_only;
    lines_only.layout.find_tables = false;
    ocrgated::ppocr::PpOcrRecognizer lines(models, lines_only);

    double f1_sum = 0, with_stage = 0, without_stage = 0;
    int counted = 0, pages = 0, right_shapes = 0;  // counted: pages with a table
    for (const auto& page : quillory::testing::RenderTableSet()) {
        const auto read = tables.ReadPage(page.png);
        if (page.rows == 0) {
            std::printf("  %-22s %s\n", page.kind.c_str(),
                        read.tables.empty() ? "no table, right" : "a table where there is none");
            right_shapes += read.tables.empty();
            ++pages;
            continue;
        }
        std::vector<TruthCell> found;
        bool shape = read.tables.size() == 1;
        if (shape) {
            const auto& table = read.tables.front();
            shape = table.rows == page.rows && table.columns == page.columns;
            for (const auto& c : table.cells)
                found.push_back({c.row_start, c.col_start, c.row_end - c.row_start,
                                 c.col_end - c.col_start, c.words});
        }
        const double f1 = quillory::testing::CellF1(page.cells, found);
        for (const TruthCell& want : page.cells) {
            const auto at = std::find_if(found.begin(), found.end(), [&](const TruthCell& f) {
                return f.row == want.row && f.column == want.column;
            });
            if (at == found.end() || at->words != want.words)
                std::printf("  %-22s (%d,%d) \"%s\" read \"%s\"\n", page.kind.c_str(), want.row,
                            want.column, want.words.c_str(),
                            at == found.end() ? "(no cell)" : at->words.c_str());
        }
        f1_sum += f1;
        right_shapes += shape;
        ++counted;
        ++pages;
        lines.ReadPage(page.png);  // warm-up for the engine without the stage
        std::vector<double> with, without;
        for (int run = 0; run < 5; ++run) {
            with.push_back(bench::SecondsToRead(tables, page.png));
            without.push_back(bench::SecondsToRead(lines, page.png));
        }
        with_stage += bench::Median(with);
        without_stage += bench::Median(without);
        std::printf("  %-22s cell F1 %.3f, shape %s, %.3f s / %.3f s\n", page.kind.c_str(), f1,
                    shape ? "right" : "wrong", bench::Median(with), bench::Median(without));
    }
    std::printf("%d of %d pages with the right shape (or rightly none)\n", right_shapes, pages);
    std::printf("ratio table_cell_f1=%.3f\n", f1_sum / counted);
    std::printf("ratio table_vs_lines_time=%.3f\n", with_stage / without_stage);
}
