#include "base/line_join.h"
#include "service/engines/layout/page_layout.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace ocrgated::layout {
namespace {

struct Line {
    const char* text;
    float x, y, width, height;
};

TEST(LayOut, GroupsAndJoinsParagraphs) {
    struct Case {
        const char* name;
        std::vector<Line> lines;
        std::vector<std::string> paragraphs;
    } cases[] = {
        {"Chinese: a short line ends a paragraph, lines meet without spaces",
         {{"第一段的第一行文字。", 20, 20, 200, 20},
          {"第一段的第二行文字，", 20, 50, 200, 20},
          {"到此结束。", 20, 80, 100, 20},
          {"第二段从这里开始写，", 20, 110, 200, 20},
          {"然后结束。", 20, 140, 100, 20}},
         {"第一段的第一行文字。第一段的第二行文字，到此结束。", "第二段从这里开始写，然后结束。"}},
        {"Korean: its lines meet with a space, as its words do",
         {{"서울 특별시의 오래된", 20, 20, 200, 20},
          {"골목을 천천히 걸으며", 20, 50, 200, 20},
          {"생각했다.", 20, 80, 100, 20}},
         {"서울 특별시의 오래된 골목을 천천히 걸으며 생각했다."}},
        {"a hyphen splitting a word goes",
         {{"The layout stage splits each page into re-", 20, 20, 420, 20},
          {"gions and orders them the way people read", 20, 50, 410, 20},
          {"them.", 20, 80, 50, 20}},
         {"The layout stage splits each page into regions and orders them the way people read "
          "them."}},
        {"a hyphen of a compound or a range stays",
         {{"Hyphens stay in a well-", 20, 20, 400, 20},
          {"Known name and in 1990-", 20, 50, 400, 20},
          {"2000 as ranges.", 20, 80, 150, 20}},
         {"Hyphens stay in a well-Known name and in 1990-2000 as ranges."}},
        {"an indented first line",
         {{"Indented first line of the first one", 60, 20, 360, 20},
          {"continues to the right edge as usual", 20, 50, 400, 20},
          {"Indented first line of the second one", 60, 80, 360, 20},
          {"runs to the edge and ends the page.", 20, 110, 400, 20}},
         {"Indented first line of the first one continues to the right edge as usual",
          "Indented first line of the second one runs to the edge and ends the page."}},
        {"the hanging lines of a list item",
         {{"- Regions come in the order a reader", 20, 20, 400, 20},
          {"takes them, columns left to right", 40, 50, 380, 20},
          {"and vertical pages right to left.", 40, 80, 330, 20}},
         {"- Regions come in the order a reader takes them, columns left to right and vertical "
          "pages right to left."}},
        {"a wider gap",
         {{"Lines set close together form one block", 20, 20, 400, 20},
          {"of text until a wider gap opens up", 20, 50, 400, 20},
          {"A new block begins after the gap", 20, 100, 400, 20},
          {"and runs on like the first did.", 20, 130, 400, 20}},
         {"Lines set close together form one block of text until a wider gap opens up",
          "A new block begins after the gap and runs on like the first did."}},
        {"a heading in larger type",
         {{"Results", 20, 20, 120, 30},
          {"Body text set smaller under its", 20, 60, 400, 20},
          {"heading.", 20, 90, 80, 20}},
         {"Results", "Body text set smaller under its heading."}},
        {"a ragged edge is where most lines end, not the longest",
         {{"The right column opens", 20, 20, 330, 30},
          {"and goes on in turn", 20, 70, 270, 30},
          {"until it too comes to an end", 20, 120, 380, 30}},
         {"The right column opens and goes on in turn until it too comes to an end"}},
        {"a ragged edge where the next word would not fit",
         {{"A ragged line stops short when the", 20, 20, 340, 20},
          {"extraordinarily long word after it cannot fit", 20, 50, 400, 20},
          {"on the line before.", 20, 80, 190, 20}},
         {"A ragged line stops short when the extraordinarily long word after it cannot fit on "
          "the line before."}},
    };
    for (const Case& c : cases) {
        Page page;
        for (const Line& line : c.lines)
            page.lines.push_back({{line.x, line.y, line.width, line.height}, line.text});
        const PageLayout layout = LayOut(page);
        std::vector<std::string> paragraphs;
        for (const auto& paragraph : layout.paragraphs) {
            std::vector<std::string_view> lines;
            for (std::size_t at : paragraph)
                lines.push_back(page.lines[layout.order[at]].text);
            paragraphs.push_back(quillory::JoinLines(lines));
        }
        EXPECT_EQ(paragraphs, c.paragraphs) << c.name;
    }
}

}  // namespace
}  // namespace ocrgated::layout
