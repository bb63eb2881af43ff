#include "service/engines/ppocr/word_spaces.h"

#include <gtest/gtest.h>

#include <opencv2/imgproc.hpp>

namespace ocrgated::ppocr {
namespace {

constexpr int kStep = 8;

// Draws one 12-pixel-wide glyph per character, each preceded by the given
// gap, and fills in the steps the network would fire at (glyph centres).
struct Line {
    cv::Mat picture;
    DecodedText decoded;
};

Line Draw(const std::vector<std::string>& characters, const std::vector<int>& gaps, bool dark) {
    const cv::Scalar paper = dark ? cv::Scalar::all(30) : cv::Scalar::all(250);
    const cv::Scalar ink = dark ? cv::Scalar::all(220) : cv::Scalar::all(10);
    cv::Mat picture(48, 400, CV_8UC3, paper);
    DecodedText decoded;
    int x = 4;
    for (std::size_t i = 0; i < characters.size(); ++i) {
        x += gaps[i];
        cv::rectangle(picture, cv::Rect(x, 10, 12, 28), ink, cv::FILLED);
        decoded.bytes.push_back(decoded.text.size());
        decoded.text += characters[i];
        decoded.probabilities.push_back(0.9f);
        decoded.steps.push_back((x + 6) / kStep);
        x += 12;
    }
    return {picture, decoded};
}

TEST(WordSpaces, PutsSpacesWhereTheGapIsWideForTheLine) {
    const std::vector<std::string> letters = {"a", "b", "c", "d", "e", "f"};
    struct Case {
        const char* name;
        std::vector<std::string> characters;
        std::vector<int> gaps;  // before each character
        bool dark;
        std::string expected;
    } cases[] = {
        {"one word gap", letters, {0, 4, 4, 22, 4, 4}, false, "abc def"},
        {"light on dark", letters, {0, 4, 4, 22, 4, 4}, true, "abc def"},
        {"even letter gaps", letters, {0, 6, 6, 6, 6, 6}, false, "abcdef"},
        {"two word gaps", letters, {0, 4, 22, 4, 22, 4}, false, "ab cd ef"},
        {"Chinese neighbours keep no space",
         {"中", "文", "a", "b"},
         {0, 4, 24, 4},
         false,
         "中文ab"},
        {"short line, wide gap", {"a", "b"}, {0, 24}, false, "a b"},
        {"short line, narrow gap", {"a", "b"}, {0, 6}, false, "ab"},
        {"short line, a quarter of its height apart", {"3", "m", "s"}, {0, 13, 4}, false, "3 ms"},
        {"one character", {"a"}, {0}, false, "a"},
        {"a narrow glyph's bearings", {"4", "6", ".", "1", "0"}, {0, 4, 4, 10, 4}, false, "46.10"},
        {"a wide blank after a decimal point", {"4", "6", ".", "1", "0"}, {0, 4, 4, 22, 4},
         false, "46.10"},
        {"the model's own space at a decimal point", {"4", ".", " ", "0"}, {0, 4, 4, 4}, false,
         "4.0"},
        {"a comma keeps its space", {"1", ",", "2"}, {0, 4, 22}, false, "1, 2"},
        {"a word gap beside a narrow glyph", {"a", "l", "m"}, {0, 4, 22}, false, "al m"},
        {"figures on even advances", {"2", "0", "4", "7"}, {0, 4, 4, 9}, false, "2047"},
        {"a 1 beside a figure", {"1", "1", ",", "0", "0", "0"}, {0, 13, 4, 4, 4, 4}, false,
         "11,000"},
        {"figures a word apart", {"1", "1"}, {0, 24}, false, "1 1"},
    };
    for (const auto& c : cases) {
        Line line = Draw(c.characters, c.gaps, c.dark);
        RestoreWordSpaces(line.decoded, line.picture, kStep);
        EXPECT_EQ(line.decoded.text, c.expected) << c.name;
        EXPECT_EQ(line.decoded.probabilities.size(), line.decoded.steps.size()) << c.name;
        EXPECT_EQ(line.decoded.bytes.size(), line.decoded.steps.size()) << c.name;
    }
}

}  // namespace
}  // namespace ocrgated::ppocr
