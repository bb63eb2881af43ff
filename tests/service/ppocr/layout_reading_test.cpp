// Pages laid out in columns read column after column, with their paragraphs.
#include "character_error_rate.h"
#include "engine_fixture.h"
#include "rendered_pictures.h"

#include <gtest/gtest.h>

namespace ocrgated::ppocr {
namespace {

struct Text {
    int x, y;
    std::string words;
};

struct LaidOutPage {
    const char* name;
    std::string size;
    std::vector<Text> texts;        // where each line is drawn
    std::vector<std::size_t> read;  // the texts in the order a reader takes them
    std::size_t paragraphs;
};

std::vector<std::uint8_t> Draw(const LaidOutPage& page) {
    std::vector<std::string> arguments{
        "-size", page.size, "xc:white", "-font",
        "/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc", "-pointsize", "30", "-fill",
        "black"};
    for (const Text& text : page.texts) {
        arguments.push_back("-annotate");
        arguments.push_back("+" + std::to_string(text.x) + "+" + std::to_string(text.y));
        arguments.push_back(text.words);
    }
    return quillory::testing::RenderPng(arguments);
}

const LaidOutPage kPages[] = {
    {"TwoColumns",
     "1000x330",
     {{20, 60, "左栏第一行文字内容"},
      {540, 60, "右栏第一行文字内容"},
      {20, 110, "左栏第二行文字内容"},
      {540, 110, "右栏第二行文字内容"},
      {20, 160, "左栏第三行文字内容"},
      {540, 160, "右栏第三行文字内容"},
      {20, 210, "左栏第四行到此为止"},
      {540, 210, "右栏第四行到此为止"}},
     {0, 2, 4, 6, 1, 3, 5, 7},
     2},
    {"TitleOverColumnsWithFooter",
     "1000x420",
     {{300, 60, "季度报告总览"},
      {20, 140, "The left column opens"},
      {540, 140, "The right column opens"},
      {20, 190, "and goes on for a while"},
      {540, 190, "and goes on in turn"},
      {20, 240, "before it comes to an end"},
      {540, 240, "until it too comes to an end"},
      {420, 380, "第 3 页"}},
     {0, 1, 3, 5, 2, 4, 6, 7},
     4},
};

class LaidOut : public ::testing::TestWithParam<LaidOutPage> {};

TEST_P(LaidOut, ReadsInReadingOrder) {
    QUILLORY_REQUIRE_PPOCR(engine);
    const LaidOutPage& page = GetParam();
    const auto lines = engine->Recognize(Draw(page));
    std::vector<std::string> expected, read;
    for (std::size_t i : page.read)
        expected.push_back(page.texts[i].words);
    for (const auto& line : lines)
        read.push_back(line.words);
    quillory::testing::ErrorCount errors;
    errors.Add(expected, read);
    EXPECT_LE(errors.Rate(), 0.01) << quillory::testing::Joined(read);
    int paragraphs = 0;
    for (std::size_t i = 0; i < lines.size(); ++i)
        paragraphs += i == 0 || lines[i].paragraph != lines[i - 1].paragraph;
    EXPECT_EQ(std::size_t(paragraphs), page.paragraphs) << quillory::testing::Joined(read);
}

INSTANTIATE_TEST_SUITE_P(Pages, LaidOut, ::testing::ValuesIn(kPages),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace ocrgated::ppocr
