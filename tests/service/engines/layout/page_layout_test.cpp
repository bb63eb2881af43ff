#include "service/engines/layout/page_layout.h"
#include "service/engines/layout/character_columns.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ocrgated::layout {
namespace {

// A box named by its text, so that an order reads as the labels in turn.
struct Box {
    const char* label;
    float x, y, width, height;
};

enum class Mode { kLines, kVertical, kCharacters };

std::string Labels(const std::vector<Box>& boxes, const std::vector<std::size_t>& order) {
    std::string labels;
    for (std::size_t i : order)
        labels += (labels.empty() ? "" : " ") + std::string(boxes[i].label);
    return labels;
}

TEST(LayOut, ReadsRegionsInOrder) {
    struct Case {
        const char* name;
        std::vector<Box> boxes;  // as a detector lists them: row by row across the page
        std::string order;
        std::size_t regions;  // or, for characters, the groups
        Mode mode = Mode::kLines;
        Rules rules;
    } cases[] = {
        {"two columns with ragged edges",
         {{"L1", 20, 20, 260, 20},
          {"R1", 320, 20, 250, 20},
          {"L2", 20, 50, 240, 20},
          {"R2", 320, 50, 260, 20},
          {"L3", 20, 80, 260, 20},
          {"R3", 320, 80, 200, 20},
          {"L4", 20, 110, 150, 20},
          {"R4", 320, 110, 260, 20}},
         "L1 L2 L3 L4 R1 R2 R3 R4",
         2},
        {"three columns, one ending early",
         {{"A1", 20, 20, 160, 20},
          {"B1", 220, 20, 160, 20},
          {"C1", 420, 20, 160, 20},
          {"A2", 20, 50, 160, 20},
          {"B2", 220, 50, 150, 20},
          {"C2", 420, 50, 160, 20},
          {"A3", 20, 80, 160, 20},
          {"B3", 220, 80, 160, 20},
          {"C3", 420, 80, 90, 20},
          {"A4", 20, 110, 100, 20},
          {"B4", 220, 110, 160, 20}},
         "A1 A2 A3 A4 B1 B2 B3 B4 C1 C2 C3",
         3},
        // Neither gap is wide: only the columns between them set the title and footer apart.
        {"title over two columns, footer under",
         {{"T", 150, 20, 300, 30},
          {"L1", 20, 70, 260, 20},
          {"R1", 320, 70, 260, 20},
          {"L2", 20, 100, 260, 20},
          {"R2", 320, 100, 260, 20},
          {"L3", 20, 130, 260, 20},
          {"R3", 320, 130, 260, 20},
          {"L4", 20, 160, 200, 20},
          {"R4", 320, 160, 120, 20},
          {"F", 200, 200, 200, 20}},
         "T L1 L2 L3 L4 R1 R2 R3 R4 F",
         4},
        // The title's end reaches into the gutter below it: it is not the left column's.
        {"title off centre over two columns",
         {{"T", 300, 30, 180, 30},
          {"L1", 20, 110, 310, 30},
          {"R1", 540, 110, 330, 30},
          {"L2", 20, 160, 320, 30},
          {"R2", 540, 160, 270, 30},
          {"L3", 20, 210, 350, 30},
          {"R3", 540, 210, 380, 30}},
         "T L1 L2 L3 R1 R2 R3",
         3},
        // Short cells side by side in every row, as wide apart as a gutter.
        {"a table's rows stay rows",
         {{"A1", 20, 25, 100, 30},
          {"B1", 240, 25, 55, 30},
          {"C1", 440, 25, 55, 30},
          {"A2", 20, 85, 120, 30},
          {"B2", 240, 85, 50, 30},
          {"C2", 440, 85, 75, 30},
          {"A3", 20, 145, 100, 30},
          {"B3", 240, 145, 65, 30},
          {"C3", 440, 145, 65, 30},
          {"A4", 20, 200, 130, 30},
          {"B4", 240, 200, 50, 30},
          {"C4", 440, 200, 75, 30}},
         "A1 B1 C1 A2 B2 C2 A3 B3 C3 A4 B4 C4",
         1},
        // The gap alone is too narrow for a gutter; the rule in it makes one.
        {"sidebar behind a rule",
         {{"M1", 20, 20, 395, 20},
          {"S1", 428, 20, 140, 20},
          {"M2", 20, 50, 380, 20},
          {"S2", 428, 50, 120, 20},
          {"M3", 20, 80, 395, 20},
          {"S3", 428, 80, 140, 20},
          {"M4", 20, 110, 395, 20},
          {"M5", 20, 140, 200, 20}},
         "M1 M2 M3 M4 M5 S1 S2 S3",
         2,
         Mode::kLines,
         {{}, {{{421, 15}, {421, 165}, 2}}}},
        {"the same gap without the rule",
         {{"M1", 20, 20, 395, 20},
          {"S1", 428, 20, 140, 20},
          {"M2", 20, 50, 380, 20},
          {"S2", 428, 50, 120, 20},
          {"M3", 20, 80, 395, 20},
          {"S3", 428, 80, 140, 20}},
         "M1 S1 M2 S2 M3 S3",
         1},
        {"header over a rule, page number beside it",
         {{"H", 20, 20, 200, 20},
          {"P", 540, 20, 40, 20},
          {"L1", 20, 60, 260, 20},
          {"R1", 320, 60, 260, 20},
          {"L2", 20, 90, 260, 20},
          {"R2", 320, 90, 260, 20},
          {"L3", 20, 120, 260, 20},
          {"R3", 320, 120, 260, 20}},
         "H P L1 L2 L3 R1 R2 R3",
         3,
         Mode::kLines,
         {{{{20, 50}, {580, 50}, 1}}, {}}},
        // A single column comes out as it always has: top to bottom, pieces left to right.
        {"one column: ragged edge, short lines, a signature to the right",
         {{"1", 20, 20, 500, 20},
          {"2", 20, 50, 430, 20},
          {"3", 20, 80, 510, 20},
          {"4", 20, 110, 200, 20},
          {"5", 20, 140, 180, 20},
          {"6", 400, 170, 150, 20}},
         "1 2 3 4 5 6",
         1},
        {"one column: centred title, indented paragraphs, pieces of a line",
         {{"T", 220, 20, 160, 28},
          {"1", 60, 70, 460, 20},
          {"2", 20, 100, 500, 20},
          {"3b", 300, 131, 220, 20},
          {"3a", 20, 130, 240, 20},
          {"4", 60, 160, 460, 20},
          {"5", 20, 190, 120, 20}},
         "T 1 2 3a 3b 4 5",
         1},
        // Each amount stays beside its item, though a wide blank parts them in every row
        // but the lines that have no amount.
        {"a receipt: items and amounts",
         {{"H", 150, 20, 200, 20},
          {"I1", 20, 70, 200, 20},
          {"A1", 440, 70, 60, 20},
          {"I2", 20, 100, 150, 20},
          {"A2", 440, 100, 60, 20},
          {"I3", 20, 130, 220, 20},
          {"A3", 440, 130, 60, 20},
          {"N", 20, 160, 160, 20}},
         "H I1 A1 I2 A2 I3 A3 N",
         1},
        {"a letter: an address set right above short lines",
         {{"D1", 400, 20, 150, 20},
          {"D2", 400, 50, 150, 20},
          {"A1", 20, 80, 200, 20},
          {"A2", 20, 110, 180, 20}},
         "D1 D2 A1 A2",
         1},
        // Words set apart in a line, in a band of its own and in rows of a small list.
        {"a line in spaced pieces",
         {{"1", 20, 20, 520, 20},
          {"2", 20, 50, 300, 20},
          {"Name", 20, 110, 60, 20},
          {"Date", 250, 110, 60, 20},
          {"Total", 480, 110, 60, 20},
          {"Smith", 20, 140, 60, 20},
          {"2020", 250, 140, 60, 20},
          {"12", 480, 140, 30, 20},
          {"3", 20, 200, 520, 20}},
         "1 2 Name Date Total Smith 2020 12 3",
         3},
        {"vertical page: title over columns read right to left",
         {{"T", 100, 20, 300, 40},
          {"C4", 310, 80, 30, 300},
          {"C3", 360, 80, 30, 250},
          {"C2", 410, 80, 30, 300},
          {"C1", 460, 80, 30, 300}},
         "T C1 C2 C3 C4",
         2,
         Mode::kVertical},
        // A poem's characters, found one by one and listed row by row across the page.
        {"poem columns of separate characters",
         {{"c1", 100, 20, 40, 40},
          {"b1", 200, 20, 40, 40},
          {"a1", 300, 20, 40, 40},
          {"c2", 100, 70, 40, 40},
          {"b2", 200, 70, 40, 40},
          {"a2", 300, 70, 40, 40},
          {"c3", 100, 120, 40, 40},
          {"b3", 200, 120, 40, 40},
          {"a3", 300, 120, 40, 40},
          {"c4", 100, 170, 40, 40},
          {"b4", 200, 170, 40, 40},
          {"a4", 300, 170, 40, 40}},
         "a1 a2 a3 a4 b1 b2 b3 b4 c1 c2 c3 c4",
         3,
         Mode::kCharacters},
        {"a title line over vertical columns",
         {{"t1", 150, 20, 40, 40},
          {"t2", 195, 20, 40, 40},
          {"t3", 240, 20, 40, 40},
          {"c1", 100, 100, 40, 40},
          {"b1", 200, 100, 40, 40},
          {"a1", 300, 100, 40, 40},
          {"c2", 100, 150, 40, 40},
          {"b2", 200, 150, 40, 40},
          {"a2", 300, 150, 40, 40},
          {"c3", 100, 200, 40, 40},
          {"b3", 200, 200, 40, 40},
          {"a3", 300, 200, 40, 40},
          {"a4", 300, 250, 40, 40}},
         "t1 t2 t3 a1 a2 a3 a4 b1 b2 b3 c1 c2 c3",
         4,
         Mode::kCharacters},
        // Spaced more than a character down, but clearly less than across.
        {"a poem spaced wide both ways",
         {{"b1", 100, 20, 40, 40},
          {"a1", 240, 20, 40, 40},
          {"b2", 100, 115, 40, 40},
          {"a2", 240, 115, 40, 40}},
         "a1 a2 b1 b2",
         2,
         Mode::kCharacters},
        {"a grid spaced alike both ways stays rows",
         {{"x1", 100, 20, 40, 40},
          {"x2", 190, 20, 40, 40},
          {"y1", 100, 108, 40, 40},
          {"y2", 190, 108, 40, 40}},
         "x1 x2 y1 y2",
         2,
         Mode::kCharacters},
        {"characters in rows stay rows",
         {{"x1", 100, 20, 40, 40},
          {"x2", 145, 20, 40, 40},
          {"x3", 190, 20, 40, 40},
          {"y1", 100, 100, 40, 40},
          {"y2", 145, 100, 40, 40},
          {"y3", 190, 100, 40, 40}},
         "x1 x2 x3 y1 y2 y3",
         2,
         Mode::kCharacters},
    };
    for (const Case& c : cases) {
        if (c.mode == Mode::kCharacters) {
            std::vector<cv::Rect2f> boxes;
            for (const Box& box : c.boxes)
                boxes.emplace_back(box.x, box.y, box.width, box.height);
            const auto groups = GroupCharacterColumns(boxes);
            std::vector<std::size_t> order;
            for (const auto& group : groups)
                order.insert(order.end(), group.begin(), group.end());
            EXPECT_EQ(Labels(c.boxes, order), c.order) << c.name;
            EXPECT_EQ(groups.size(), c.regions) << c.name;
            continue;
        }
        Page page;
        page.vertical = c.mode == Mode::kVertical;
        page.rules = c.rules;
        for (const Box& box : c.boxes)
            page.lines.push_back({{box.x, box.y, box.width, box.height}, box.label});
        const PageLayout layout = LayOut(page);
        EXPECT_EQ(Labels(c.boxes, layout.order), c.order) << c.name;
        EXPECT_EQ(layout.regions.size(), c.regions) << c.name;
    }
}

}  // namespace
}  // namespace ocrgated::layout
