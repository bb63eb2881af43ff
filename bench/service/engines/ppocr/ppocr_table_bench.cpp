// The table sets read by the PP-OCR engine: each table's cell F1 (a cell counts when its
// text stands at the right top-left row and column) and whether its shape is right, and
// what the table stage costs a table page. The rendered set, then the real tables (crops
// from published PDFs) read as the stage finds them and as said to be one table.
// Prints `ratio table_cell_f1=<mean F1 over the rendered pages with a table>`,
// `ratio table_vs_lines_time=<with / without the stage>`,
// `ratio real_table_cell_f1=<mean F1 over the real tables, said to be tables>` and
// `ratio real_table_found_cell_f1=<the same, the stage deciding alone>` and
// `ratio real_table_small_cell_f1=<said to be tables, shrunk to small print>`.

#include "engine_timing.h"
#include "real_sets.h"
#include "service/common/memory.h"
#include "service/engines/cores.h"
#include "service/engines/ppocr/pp_ocr_recognizer.h"
#include "table_pages.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <string_view>

namespace {

using quillory::testing::TablePage;
using quillory::testing::TruthCell;

struct Score {
    double f1 = 0;
    bool shape = false;
};

// One table expected: its cells against the truth, misread cells printed when `verbose`.
Score Scored(const ocrgated::PageReading& read, const TablePage& page, bool verbose) {
    std::vector<TruthCell> found;
    bool shape = read.tables.size() == 1;
    if (!read.tables.empty()) {
        const auto& table = read.tables.front();
        shape = shape && table.rows == page.rows && table.columns == page.columns;
        for (const auto& c : table.cells)
            found.push_back({c.row_start, c.col_start, c.row_end - c.row_start,
                             c.col_end - c.col_start, c.words});
    }
    for (const TruthCell& want : page.cells) {
        const auto at = std::find_if(found.begin(), found.end(), [&](const TruthCell& f) {
            return f.row == want.row && f.column == want.column;
        });
        if (verbose && (at == found.end() || at->words != want.words))
            std::printf("  %-22s (%d,%d) \"%s\" read \"%s\"\n", page.kind.c_str(), want.row,
                        want.column, want.words.c_str(),
                        at == found.end() ? "(no cell)" : at->words.c_str());
    }
    return {quillory::testing::CellF1(page.cells, found), shape};
}

constexpr double kSmallLineHeight = 11;

// The table shrunk until its lines, as the engine finds them at the table's own size, are
// kSmallLineHeight high in the median; a table already that small is kept.
TablePage SmallPrint(const TablePage& page, ocrgated::ppocr::PpOcrRecognizer& engine) {
    std::vector<double> heights;
    for (const auto& line : engine.ReadPage(page.png).lines)
        heights.push_back(std::min(line.width, line.height));
    const double scale = heights.empty() ? 1 : kSmallLineHeight / bench::Median(heights);
    return scale < 1 ? quillory::testing::Shrunk(page, scale) : page;
}

}  // namespace

int main(int argc, char** argv) {
    // `real [NAME]` reads the real tables alone, `rendered [NAME]` the rendered ones, for
    // working on them; with a name, only the tables whose name holds it, each misread cell
    // shown.
    const bool real_only = argc > 1 && std::string_view(argv[1]) == "real";
    const bool rendered_only = argc > 1 && std::string_view(argv[1]) == "rendered";
    const std::string_view only = argc > 2 ? argv[2] : "";
    ocrgated::LimitOpenMp(argv, 1);
    ocrgated::KeepNetworkBuffersInHeap();  // as ocrgated does at start
    const auto models = ocrgated::ppocr::LoadPpOcrModels(ocrgated::ppocr::DefaultModelDirectory());
    ocrgated::ppocr::PpOcrRecognizer tables(models);
    ocrgated::ppocr::PpOcrOptions lines_only;
    lines_only.layout.find_tables = false;
    ocrgated::ppocr::PpOcrRecognizer lines(models, lines_only);

    double f1_sum = 0, with_stage = 0, without_stage = 0;
    int counted = 0, pages = 0, right_shapes = 0;  // counted: pages with a table
    for (const auto& page :
         real_only ? std::vector<TablePage>{} : quillory::testing::RenderTableSet()) {
        if (page.kind.find(only) == std::string::npos)
            continue;
        const auto read = tables.ReadPage(page.png);
        if (page.rows == 0) {
            std::printf("  %-22s %s\n", page.kind.c_str(),
                        read.tables.empty() ? "no table, right" : "a table where there is none");
            right_shapes += read.tables.empty();
            ++pages;
            continue;
        }
        const Score score = Scored(read, page, true);
        f1_sum += score.f1;
        right_shapes += score.shape;
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
        std::printf("  %-22s cell F1 %.3f, shape %s, %.3f s / %.3f s\n", page.kind.c_str(),
                    score.f1, score.shape ? "right" : "wrong", bench::Median(with),
                    bench::Median(without));
    }
    if (!real_only) {
        std::printf("%d of %d pages with the right shape (or rightly none)\n", right_shapes,
                    pages);
        std::printf("ratio table_cell_f1=%.3f\n", f1_sum / counted);
        std::printf("ratio table_vs_lines_time=%.3f\n", with_stage / without_stage);
    }
    if (rendered_only)
        return 0;

    // Per kind: F1 sums and right shapes, said to be a table and found alone.
    struct Kind {
        double said = 0, found = 0, small = 0;  // small: said, shrunk to small print
        int said_shapes = 0, found_shapes = 0, small_shapes = 0, tables = 0;
    };
    std::map<std::string, Kind> kinds;
    Kind all;
    std::printf("real tables: cell F1 and shape said to be a table | found alone, seconds | "
                "said, lines %.0f px high\n", kSmallLineHeight);
    for (const auto& page : quillory::testing::LoadRealTables()) {
        if (page.kind.find(only) == std::string::npos)
            continue;
        const auto start = std::chrono::steady_clock::now();
        const Score said =
            Scored(tables.ReadPage(page.png, {.one_table = true}), page, !only.empty());
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const Score found = Scored(tables.ReadPage(page.png), page, false);
        const TablePage shrunk = SmallPrint(page, lines);
        const Score small =
            Scored(tables.ReadPage(shrunk.png, {.one_table = true}), shrunk, !only.empty());
        std::printf("  %-34s %2dx%-2d %.3f %-5s | %.3f %-5s %.2f s | %.3f %s\n",
                    page.kind.c_str(), page.rows, page.columns, said.f1,
                    said.shape ? "right" : "wrong", found.f1, found.shape ? "right" : "wrong",
                    seconds, small.f1, small.shape ? "right" : "wrong");
        for (Kind* k : {&kinds[page.kind.substr(0, page.kind.find('/'))], &all}) {
            k->said += said.f1;
            k->found += found.f1;
            k->said_shapes += said.shape;
            k->found_shapes += found.shape;
            k->small += small.f1;
            k->small_shapes += small.shape;
            ++k->tables;
        }
    }
    kinds["all"] = all;
    for (const auto& [name, k] : kinds)
        std::printf("  %-10s %2d tables: said F1 %.3f, %d right shapes | alone F1 %.3f, %d | "
                    "small %.3f, %d\n",
                    name.c_str(), k.tables, k.said / k.tables, k.said_shapes,
                    k.found / k.tables, k.found_shapes, k.small / k.tables, k.small_shapes);
    std::printf("ratio real_table_cell_f1=%.3f\n", all.said / all.tables);
    std::printf("ratio real_table_found_cell_f1=%.3f\n", all.found / all.tables);
    std::printf("ratio real_table_small_cell_f1=%.3f\n", all.small / all.tables);
}
