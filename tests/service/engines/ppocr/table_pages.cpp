#include "table_pages.h"

#include "rendered_pictures.h"

#include <algorithm>
#include <string_view>

namespace quillory::testing {
namespace {

const std::string kSans = "/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc";
const std::string kSerif = "/usr/share/fonts/opentype/noto/NotoSerifCJK-Regular.ttc";

enum class Rules { Grid, ThreeRule, None, Inner };

struct Table {
    std::vector<int> widths;  // of the columns
    int row_height = 56;
    Rules rules = Rules::Grid;
    int header_rows = 1;
    std::vector<TruthCell> cells;
    std::string font = kSans;
    int pointsize = 24;
    bool numbers_right = false;  // figures set flush right in their cells, as accounts are
    int inset = 14;              // from the text to the cell's edge
};

bool IsFigure(const std::string& words) {
    return !words.empty() && words.find_first_not_of("0123456789.,%-") == std::string::npos;
}

// Cells from rows of texts, each cell 1 x 1.
std::vector<TruthCell> Plain(const std::vector<std::vector<std::string>>& rows, int first_row = 0) {
    std::vector<TruthCell> cells;
    for (std::size_t r = 0; r < rows.size(); ++r)
        for (std::size_t c = 0; c < rows[r].size(); ++c)
            cells.push_back({int(r) + first_row, int(c), 1, 1, rows[r][c]});
    return cells;
}

std::string Line(int x0, int y0, int x1, int y1) {
    return "line " + std::to_string(x0) + "," + std::to_string(y0) + " " + std::to_string(x1) +
           "," + std::to_string(y1);
}

// The table drawn at (left, top) as ImageMagick arguments.
std::vector<std::string> Drawn(const Table& table, int width, int left, int top) {
    std::vector<int> xs{left};
    for (int w : table.widths)
        xs.push_back(xs.back() + w);
    int rows = 0;
    for (const TruthCell& cell : table.cells)
        rows = std::max(rows, cell.row + cell.rows);
    const auto y = [&](int row) { return top + row * table.row_height; };
    std::vector<std::string> args{"-stroke", "black", "-strokewidth", "2", "-fill", "none"};
    if (table.rules == Rules::Grid) {
        for (const TruthCell& cell : table.cells) {
            const int x0 = xs[std::size_t(cell.column)],
                      x1 = xs[std::size_t(cell.column + cell.columns)];
            const int y0 = y(cell.row), y1 = y(cell.row + cell.rows);
            args.insert(args.end(),
                        {"-draw", "rectangle " + std::to_string(x0) + "," + std::to_string(y0) +
                                      " " + std::to_string(x1) + "," + std::to_string(y1)});
        }
    } else if (table.rules == Rules::Inner) {
        for (int r = 1; r < rows; ++r)
            args.insert(args.end(), {"-draw", Line(xs.front(), y(r), xs.back(), y(r))});
        for (std::size_t c = 1; c + 1 < xs.size(); ++c)
            args.insert(args.end(), {"-draw", Line(xs[c], y(0), xs[c], y(rows))});
    } else if (table.rules == Rules::ThreeRule) {
        for (int row : {0, table.header_rows, rows})
            args.insert(args.end(), {"-draw", Line(xs.front(), y(row), xs.back(), y(row))});
    }
    args.insert(args.end(), {"-stroke", "none", "-fill", "black", "-font", table.font, "-pointsize",
                             std::to_string(table.pointsize)});
    for (const TruthCell& cell : table.cells) {
        const int middle = y(cell.row) + (cell.rows * table.row_height) / 2;
        if (cell.columns > 1) {
            // Centred over the columns it spans, placed by its top middle.
            const int centre =
                (xs[std::size_t(cell.column)] + xs[std::size_t(cell.column + cell.columns)]) / 2;
            args.insert(args.end(), {"-gravity", "North", "-annotate",
                                     (centre >= width / 2 ? "+" : "-") +
                                         std::to_string(std::abs(centre - width / 2)) + "+" +
                                         std::to_string(middle - table.pointsize * 7 / 10),
                                     cell.words, "-gravity", "None"});
        } else if (table.numbers_right && IsFigure(cell.words)) {
            // Placed by its top right corner, from the page's right edge.
            const int from_right =
                width - xs[std::size_t(cell.column + cell.columns)] + table.inset - 2;
            args.insert(args.end(), {"-gravity", "NorthEast", "-annotate",
                                     "+" + std::to_string(from_right) + "+" +
                                         std::to_string(middle - table.pointsize * 7 / 10),
                                     cell.words, "-gravity", "None"});
        } else {
            const int x0 = xs[std::size_t(cell.column)] + table.inset;
            // A text over several lines is centred as a block; a line is 1.2 sizes apart.
            const int lines = int(std::count(cell.words.begin(), cell.words.end(), '\n')) + 1;
            const int baseline =
                middle + table.pointsize * 3 / 8 - (lines - 1) * table.pointsize * 6 / 10;
            args.insert(args.end(),
                        {"-annotate", "+" + std::to_string(x0) + "+" + std::to_string(baseline),
                         cell.words});
        }
    }
    return args;
}

TablePage Page(const std::string& kind, const Table& table, const std::string& size, int left,
               int top, const std::vector<std::string>& around = {},
               const std::vector<std::string>& effects = {}) {
    TablePage page{kind, 0, int(table.widths.size()), table.cells, {}, {}, {}};
    for (TruthCell& cell : page.cells) {
        page.rows = std::max(page.rows, cell.row + cell.rows);
        std::replace(cell.words.begin(), cell.words.end(), '\n', ' ');
    }
    std::vector<std::string> args{"-size", size, "xc:white"};
    const auto drawn = Drawn(table, std::stoi(size), left, top);
    args.insert(args.end(), drawn.begin(), drawn.end());
    args.insert(args.end(), around.begin(), around.end());
    args.insert(args.end(), effects.begin(), effects.end());
    page.png = RenderPng(args);
    return page;
}

const std::vector<std::vector<std::string>> kPrices{{"品名", "单价", "数量", "金额"},
                                                    {"苹果", "5.50", "3", "16.50"},
                                                    {"香蕉", "3.20", "5", "16.00"},
                                                    {"橙子", "6.80", "2", "13.60"},
                                                    {"合计", "", "10", "46.10"}};

}  // namespace

std::vector<TablePage> RenderTableSet() {
    std::vector<TablePage> set;
    set.push_back(Page("full-grid", {{200, 240, 200, 180}, 60, Rules::Grid, 1, Plain(kPrices)},
                       "900x420", 40, 40));

    Table merged{{180, 150, 150, 150, 150}, 56, Rules::Grid, 2, {}};
    merged.cells = {{0, 0, 2, 1, "地区"},   {0, 1, 1, 2, "2025年"}, {0, 3, 1, 2, "2026年"},
                    {1, 1, 1, 1, "上半年"}, {1, 2, 1, 1, "下半年"}, {1, 3, 1, 1, "上半年"},
                    {1, 4, 1, 1, "下半年"}};
    for (const TruthCell& cell : Plain({{"华东", "120", "135", "142", "150"},
                                        {"华南", "98", "104", "111", "117"},
                                        {"华北", "87", "90", "96", "101"}},
                                       2))
        merged.cells.push_back(cell);
    set.push_back(Page("merged-header", merged, "900x400", 40, 40));
    Table small_merged = merged;
    small_merged.widths = {110, 90, 90, 90, 90};
    small_merged.row_height = 30;
    small_merged.pointsize = 14;
    set.push_back(Page("merged-header-small-on-big-page", small_merged, "1800x1200", 300, 500));

    Table three{{240, 200, 200, 200},
                52,
                Rules::ThreeRule,
                1,
                Plain({{"Model", "Params", "Accuracy", "Speed"},
                       {"Baseline", "12M", "81.2", "140"},
                       {"Ours small", "8M", "83.5", "210"},
                       {"Ours large", "30M", "86.1", "95"}})};
    set.push_back(Page("three-rule", three, "960x320", 40, 40));

    Table open{{220, 200, 200, 200},
               50,
               Rules::None,
               1,
               Plain({{"城市", "人口", "面积", "密度"},
                      {"上海", "2487", "6341", "3922"},
                      {"杭州", "1252", "16850", "743"},
                      {"南京", "949", "6587", "1441"},
                      {"苏州", "1295", "8657", "1496"}})};
    set.push_back(Page("without-rules", open, "900x340", 40, 30));

    const std::vector<std::string> around{"-font",
                                          kSans,
                                          "-pointsize",
                                          "24",
                                          "-annotate",
                                          "+40+50",
                                          "下表列出了本月水果的销售情况，单位为元。",
                                          "-annotate",
                                          "+40+430",
                                          "表中合计一行为全部水果的数量与金额之和。"};
    set.push_back(Page("between-paragraphs",
                       {{200, 240, 200, 180}, 60, Rules::Grid, 1, Plain(kPrices)}, "900x470", 40,
                       80, around));
    set.back().header = "下表列出了本月水果的销售情况，单位为元。";
    set.back().footer = "表中合计一行为全部水果的数量与金额之和。";

    const std::vector<std::string> photographed{
        "-distort",   "Perspective", "0,0 12,20  900,0 880,4  0,420 0,400  900,420 892,416",
        "-blur",      "0x0.8",       "(",
        "-size",      "900x420",     "gradient:white-gray80",
        ")",          "-compose",    "Multiply",
        "-composite", "-seed",       "3",
        "-attenuate", "0.4",         "+noise",
        "Gaussian"};
    set.push_back(Page("photographed-grid",
                       {{200, 240, 200, 180}, 60, Rules::Grid, 1, Plain(kPrices)}, "900x420", 40,
                       40, {}, photographed));

    Table dense{{150, 110, 110, 120, 120},
                34,
                Rules::Grid,
                1,
                Plain({{"Item", "Qty", "Unit", "Price", "Total"},
                       {"Paper A4", "12", "box", "23.50", "282.00"},
                       {"Stapler", "3", "each", "18.90", "56.70"},
                       {"Ink black", "5", "each", "65.00", "325.00"},
                       {"Folders", "40", "each", "1.20", "48.00"},
                       {"Tape", "8", "roll", "4.75", "38.00"}})};
    dense.pointsize = 16;
    dense.numbers_right = true;
    set.push_back(Page("dense-grid", dense, "700x300", 30, 30));

    Table serif{{160, 220, 160, 160}, 54, Rules::Grid, 1, {}};
    serif.font = kSerif;
    serif.cells = {{0, 0, 1, 1, "部门"},     {0, 1, 1, 1, "项目"},   {0, 2, 1, 1, "预算"},
                   {0, 3, 1, 1, "负责人"},   {1, 0, 2, 1, "研发部"}, {1, 1, 1, 1, "新产品设计"},
                   {1, 2, 1, 1, "320万"},    {1, 3, 1, 1, "王磊"},   {2, 1, 1, 1, "系统升级"},
                   {2, 2, 1, 1, "85万"},     {2, 3, 1, 1, "李娜"},   {3, 0, 1, 1, "市场部"},
                   {3, 1, 1, 1, "品牌推广"}, {3, 2, 1, 1, "150万"},  {3, 3, 1, 1, "张伟"}};
    set.push_back(Page("serif-body-span", serif, "800x300", 40, 40));

    Table wide{{200, 130, 130, 130, 130},
               40,
               Rules::ThreeRule,
               1,
               Plain({{"Method", "Precision", "Recall", "F1", "Time"},
                      {"Rules only", "0.812", "0.745", "0.777", "12"},
                      {"Detector", "0.901", "0.866", "0.883", "48"},
                      {"Combined", "0.934", "0.902", "0.918", "55"},
                      {"Ours", "0.957", "0.941", "0.949", "31"}})};
    wide.pointsize = 20;
    wide.numbers_right = true;
    set.push_back(Page("three-rule-wide", wide, "860x300", 40, 40));

    Table three_open{{240, 200, 200},
                     44,
                     Rules::None,
                     1,
                     Plain({{"项目", "上月", "本月"},
                            {"营业收入", "1,250.40", "1,386.75"},
                            {"营业成本", "820.10", "901.33"},
                            {"管理费用", "96.50", "102.80"},
                            {"利润总额", "333.80", "382.62"},
                            {"所得税", "83.45", "95.66"}})};
    three_open.numbers_right = true;
    set.push_back(Page("without-rules-figures", three_open, "760x340", 40, 30));

    set.push_back(
        Page("photographed-turned", {{200, 240, 200, 180}, 60, Rules::Grid, 1, Plain(kPrices)},
             "900x420", 40, 40, {},
             {"-background", "white",      "-rotate",  "2.5",        "-blur",
              "0x1",         "(",          "-size",    "940x460",    "gradient:gray90-white",
              ")",           "-compose",   "Multiply", "-composite", "-seed",
              "11",          "-attenuate", "0.5",      "+noise",     "Gaussian"}));

    Table levels{{180, 120, 120, 120, 120},
                 40,
                 Rules::ThreeRule,
                 2,
                 {{0, 1, 1, 2, "Accuracy"}, {0, 3, 1, 2, "Speed"}}};
    levels.pointsize = 20;
    for (const TruthCell& cell : Plain({{"Method", "Top-1", "Top-5", "CPU", "GPU"},
                                        {"ResNet", "76.1", "92.9", "210", "12"},
                                        {"MobileNet", "72.0", "91.0", "35", "4"},
                                        {"Ours", "78.4", "94.2", "41", "5"}},
                                       1))
        levels.cells.push_back(cell);
    set.push_back(Page("three-rule-two-level-header", levels, "760x300", 40, 40));

    set.push_back(Page("photographed-curved",
                       {{200, 240, 200, 180}, 60, Rules::Grid, 1, Plain(kPrices)}, "900x420", 40,
                       40, {},
                       {"-background", "white", "-wave", "8x2400", "-distort", "Perspective",
                        "0,0 20,10  900,0 870,0  0,430 10,420  900,430 900,430", "-blur", "0x0.7",
                        "-seed", "5", "-attenuate", "0.3", "+noise", "Gaussian"}));

    Table steps{{160, 300, 140},
                40,
                Rules::ThreeRule,
                1,
                {{0, 0, 1, 1, "Step"},
                 {0, 1, 1, 1, "Description"},
                 {0, 2, 1, 1, "Time"},
                 {1, 0, 1, 1, "Detect"},
                 {1, 1, 1, 1, "find text boxes"},
                 {1, 2, 1, 1, "12 ms"},
                 {2, 0, 1, 1, "Classify"},
                 {2, 1, 1, 1, "turn upside down lines"},
                 {2, 2, 1, 1, "3 ms"},
                 {3, 0, 1, 1, "Read"},
                 {3, 1, 1, 1, "decode each line"},
                 {3, 2, 1, 1, "20 ms"}}};
    steps.pointsize = 20;
    set.push_back(Page("three-rule-plain", steps, "700x260", 40, 40));

    set.push_back(
        Page("photographed-keystone", {{200, 240, 200, 180}, 60, Rules::Grid, 1, Plain(kPrices)},
             "900x420", 40, 40, {},
             {"-background", "white", "-distort", "Perspective",
              "0,0 70,10  900,0 830,0  0,420 0,420  900,420 900,400", "-rotate", "-4", "-blur",
              "0x0.8", "-seed", "7", "-attenuate", "0.3", "+noise", "Gaussian"}));

    std::vector<std::vector<std::string>> schedule{{"Route", "Stop", "Mon", "Tue", "Wed", "Thu"}};
    const char* stops[] = {"North Gate", "Library",   "Main Hall", "Sports Ctr", "Lab West",
                           "Dorm 3",     "Cafeteria", "East Gate", "Museum",     "Station"};
    for (int r = 0; r < 10; ++r) {
        std::vector<std::string> row{"L" + std::to_string(r % 3 + 1), stops[r]};
        for (int d = 0; d < 4; ++d)
            row.push_back(std::to_string(7 + (r + d) % 5) + ":" + std::to_string(10 + 7 * r % 50));
        schedule.push_back(row);
    }
    Table big{{90, 170, 100, 100, 100, 100}, 36, Rules::Grid, 1, Plain(schedule)};
    big.pointsize = 18;
    set.push_back(Page("large-grid", big, "720x460", 30, 30));

    set.push_back(Page("inner-rules", {{200, 240, 200, 180}, 60, Rules::Inner, 1, Plain(kPrices)},
                       "900x420", 40, 40));

    // A cell's text over two lines: one row, not two.
    Table wrapped = steps;
    wrapped.row_height = 64;
    wrapped.cells[7].words = "turn upside down\nlines";
    wrapped.cells[10].words = "decode each\nline";
    set.push_back(Page("three-rule-wrapped", wrapped, "700x360", 40, 40));

    Table tight{{150, 110, 110},
                44,
                Rules::Grid,
                1,
                Plain({{"名称", "数量", "金额"},
                       {"办公桌椅", "12", "8,640.00"},
                       {"文件柜", "4", "2,360.00"},
                       {"打印机", "2", "3,998.00"}})};
    tight.pointsize = 22;
    tight.numbers_right = true;
    set.push_back(Page("tight-grid", tight, "500x260", 30, 30));

    // Set so close to the rules that the detector reads two cells as one line.
    Table touching = dense;
    touching.inset = 4;
    set.push_back(Page("touching-grid", touching, "700x300", 30, 30));

    // Small grids of two-character cells: stacked one above the other, the cells are not
    // characters set down a column, and the page stays upright.
    Table small{{193, 193, 194},
                73,
                Rules::Grid,
                1,
                Plain({{"名称", "数量", "价格"}, {"苹果", "12", "3.50"}, {"香蕉", "30", "2.80"}})};
    small.pointsize = 32;
    small.inset = 50;
    set.push_back(Page("small-grid", small, "600x240", 10, 10));
    Table small_serif = small;
    small_serif.font = kSerif;
    small_serif.cells = Plain({{"姓名", "年龄", "城市"}, {"张三", "25", "北京"},
                               {"李四", "31", "上海"}, {"王五", "47", "广州"}});
    set.push_back(Page("small-grid-serif", small_serif, "600x315", 10, 10));

    // No table: two columns of running text between a header and a footer rule.
    TablePage columns{"two-columns-no-table", 0, 0, {}, {}, {}, {}};
    columns.png = RenderPng({"-size",
                             "1200x560",
                             "xc:white",
                             "-stroke",
                             "black",
                             "-strokewidth",
                             "2",
                             "-draw",
                             "line 40,40 1160,40",
                             "-draw",
                             "line 40,520 1160,520",
                             "-stroke",
                             "none",
                             "-fill",
                             "black",
                             "-font",
                             kSans,
                             "-pointsize",
                             "24",
                             "-annotate",
                             "+40+100",
                             "左栏的第一行文字从这里开始写起，",
                             "-annotate",
                             "+40+150",
                             "接着是左栏的第二行内容，",
                             "-annotate",
                             "+40+200",
                             "左栏在这一行结束。",
                             "-annotate",
                             "+640+100",
                             "右栏的第一行文字在右边，一直写",
                             "-annotate",
                             "+640+150",
                             "读者读完左栏以后读它，",
                             "-annotate",
                             "+640+200",
                             "右栏到此为止。"});
    set.push_back(std::move(columns));

    TablePage receipt{"receipt-no-table", 0, 0, {}, {}, {}, {}};
    std::vector<std::string> drawn{"-size",     "420x560",    "xc:white",
                                   "-fill",     "black",      "-font",
                                   kSans,       "-pointsize", "20",
                                   "-annotate", "+130+50",    "便利店 购物小票",
                                   "-annotate", "+30+90",     "2026-12-08 19:42  收银员 03"};
    const std::vector<std::vector<std::string>> items{{"矿泉水", "x2", "4.00"},
                                                      {"全麦面包", "x1", "6.50"},
                                                      {"酸奶", "x3", "13.50"},
                                                      {"苹果", "x4", "11.60"},
                                                      {"纸巾", "x1", "3.90"}};
    for (std::size_t i = 0; i < items.size(); ++i) {
        const std::string y = std::to_string(140 + 40 * int(i));
        drawn.insert(drawn.end(), {"-annotate", "+30+" + y, items[i][0], "-annotate", "+230+" + y,
                                   items[i][1], "-annotate", "+320+" + y, items[i][2]});
    }
    drawn.insert(drawn.end(), {"-annotate", "+30+380", "合计", "-annotate", "+320+380", "39.50",
                               "-annotate", "+30+420", "微信支付", "-annotate", "+320+420", "39.50",
                               "-annotate", "+120+480", "谢谢惠顾 欢迎再来"});
    receipt.png = RenderPng(drawn);
    set.push_back(std::move(receipt));
    return set;
}

double CellF1(const std::vector<TruthCell>& truth, const std::vector<TruthCell>& found) {
    // Spaces between words are the recogniser's guess, not the table's structure; nor can
    // it tell a dash from a hyphen at a table's sizes.
    const auto bare = [](std::string words) {
        std::erase(words, ' ');
        for (std::string_view dash : {"–", "—", "−"})
            for (auto at = words.find(dash); at != std::string::npos; at = words.find(dash))
                words.replace(at, dash.size(), "-");
        return words;
    };
    const auto same = [&](const TruthCell& a, const TruthCell& b) {
        return a.row == b.row && a.column == b.column && bare(a.words) == bare(b.words);
    };
    // Empty cells say nothing of the text: only cells with words count.
    double hits = 0, wanted = 0, given = 0;
    for (const TruthCell& t : truth)
        if (!t.words.empty()) {
            ++wanted;
            hits += std::any_of(found.begin(), found.end(),
                                [&](const TruthCell& f) { return same(t, f); });
        }
    for (const TruthCell& f : found)
        given += !f.words.empty();
    if (wanted == 0 && given == 0)
        return 1;
    if (hits == 0)
        return 0;
    const double precision = hits / given, recall = hits / wanted;
    return 2 * precision * recall / (precision + recall);
}

std::vector<TablePage> RenderOneTableSet() {
    std::vector<TablePage> set;
    set.push_back(Page("two-columns", {{260, 160}, 48, Rules::None, 1,
                                       Plain({{"Item", "Price"}, {"Apple", "3.50"},
                                              {"Pear", "2.80"}})},
                       "500x190", 30, 20));
    Table levels{{200, 130, 130}, 48, Rules::None, 2, {}};
    levels.cells = {{0, 1, 1, 2, "Accuracy"}, {1, 0, 1, 1, "Model"}, {1, 1, 1, 1, "Top-1"},
                    {1, 2, 1, 1, "Top-5"}};
    for (const TruthCell& cell :
         Plain({{"Baseline", "71.2", "90.1"}, {"Ours", "76.8", "93.4"}}, 2))
        levels.cells.push_back(cell);
    levels.pointsize = 20;
    set.push_back(Page("two-level-header", levels, "520x260", 30, 10));
    Table wrapped{{220, 260}, 64, Rules::None, 1,
                  Plain({{"Stage", "What it does"}, {"Detect", "finds the lines"},
                         {"Recognise", "reads each line\ninto text"},
                         {"Lay out", "orders the lines"}})};
    set.push_back(Page("wrapped-cell", wrapped, "560x300", 30, 10));
    set.push_back(Page("one-cell", {{300}, 60, Rules::None, 1, Plain({{"Total 42"}})},
                       "360x80", 20, 10));
    return set;
}

}  // namespace quillory::testing
