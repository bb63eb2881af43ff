// Pages laid out as documents read in the order people read them, in their paragraphs.
#include "character_error_rate.h"
#include "engine_fixture.h"
#include "layout_pages.h"

#include <gtest/gtest.h>

namespace quillory::testing {
namespace {

TEST(PpOcrLayout, ReadsEveryKindOfPageInReadingOrder) {
    QUILLORY_REQUIRE_PPOCR(engine);
    for (const LayoutPage& page : RenderLayoutSet()) {
        const auto lines = engine->Recognize(page.png);
        std::vector<std::string> read;
        std::size_t paragraphs = 0;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            read.push_back(lines[i].words);
            paragraphs += i == 0 || lines[i].paragraph != lines[i - 1].paragraph;
        }
        ErrorCount errors;
        errors.Add(page.lines, read);
        EXPECT_LE(errors.Rate(), 0.01) << page.kind << ": " << Joined(read);
        EXPECT_EQ(paragraphs, page.paragraphs) << page.kind << ": " << Joined(read);
    }
}

// The detector first sees this page with its text 5 px tall: every line must come back.
TEST(PpOcrLayout, ReadsEveryLineOfALargePageOfSmallPrint) {
    QUILLORY_REQUIRE_PPOCR(engine);
    const LayoutPage page = RenderDensePage();
    std::vector<std::string> read;
    for (const auto& line : engine->Recognize(page.png))
        read.push_back(line.words);
    ErrorCount errors;
    errors.Add(page.lines, read);
    EXPECT_LE(errors.Rate(), 0.01) << Joined(read);
}

}  // namespace
}  // namespace quillory::testing
