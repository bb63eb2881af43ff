#include "service/engines/layout/gutter_split.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace ocrgated::layout {
namespace {

// A line as its pieces of text, each starting at its own x; characters 10 wide, a space
// one character's step.
struct Piece {
    std::string text;
    float x;
};

// `measured`: the blanks between pieces are given as the engine measures them on the picture.
TextLine Line(const std::vector<Piece>& pieces, float y, bool measured = false) {
    TextLine line;
    for (const Piece& piece : pieces) {
        if (measured && !line.glyphs.empty())
            line.gaps.emplace_back(line.glyphs.back().second, piece.x);
        line.text += (line.text.empty() ? "" : " ") + piece.text;
        float x = piece.x;
        for (char c : piece.text) {
            if (c != ' ')
                line.glyphs.emplace_back(x, x + 10);
            x += 10;
        }
    }
    const float left = line.glyphs.front().first, right = line.glyphs.back().second;
    line.box = {left, y, right - left, 20};
    return line;
}

TEST(SplitAtGutters, CutsOnlyWhereTheLinesAroundStopOnBothSides) {
    const std::vector<Piece> left{{"left col text", 20}}, right{{"right col text", 220}};
    const std::vector<Piece> bridged{{"left col text", 20}, {"right col text", 220}};
    // A gutter as narrow as a word's step: only its measure on the picture tells it apart.
    const std::vector<Piece> narrow_left{{"left col text", 20}}, narrow_right{{"right col", 165}};
    const std::vector<Piece> narrow{{"left col text", 20}, {"right col", 165}};
    const std::vector<Piece> spaced{{"one wide line with", 20}, {"a blank in it", 220}};
    const std::vector<Piece> full{{"a line of the single column runs on", 20}};
    struct Case {
        const char* name;
        std::vector<std::vector<std::vector<Piece>>> rows;  // each row: its lines
        std::size_t lines;                                  // after the cuts
        bool measured = false;
    } cases[] = {
        {"a narrow gutter measured",
         {{narrow_left, narrow_right}, {narrow}, {narrow_left, narrow_right}, {narrow}},
         8,
         true},
        {"the same gutter unmeasured",
         {{narrow_left, narrow_right}, {narrow}, {narrow_left, narrow_right}, {narrow}},
         6},
        {"a line of two columns bridged",
         {{left, right}, {left, right}, {bridged}, {left, right}, {left, right}},
         10},
        {"a blank in one line of a single column", {{full}, {full}, {spaced}, {full}, {full}}, 5},
        {"columns stop at the blank, but on one side only",
         {{left}, {left}, {bridged}, {left}, {left}},
         5},
    };
    for (const Case& c : cases) {
        Page page;
        float y = 20;
        for (const auto& row : c.rows) {
            for (const auto& line : row)
                page.lines.push_back(Line(line, y, c.measured));
            y += 30;
        }
        std::vector<std::size_t> origin;
        const Page split = SplitAtGutters(page, {}, origin);
        EXPECT_EQ(split.lines.size(), c.lines) << c.name;
        ASSERT_EQ(origin.size(), split.lines.size()) << c.name;
        for (std::size_t i = 0; i < split.lines.size(); ++i) {
            const std::string& text = split.lines[i].text;
            EXPECT_NE(page.lines[origin[i]].text.find(text), std::string::npos) << c.name;
            EXPECT_EQ(split.lines[i].glyphs.size(),
                      std::size_t(std::count_if(text.begin(), text.end(),
                                                [](char ch) { return ch != ' '; })))
                << c.name;
        }
    }
}

}  // namespace
}  // namespace ocrgated::layout
