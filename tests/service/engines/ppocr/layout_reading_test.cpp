// Pages laid out as documents read in the order people read them, in their paragraphs.
#include "character_error_rate.h"
#include "engine_fixture.h"
#include "layout_pages.h"
#include "real_sets.h"

#include <gtest/gtest.h>

#include <iterator>
#include <utility>

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

// Real pages set in columns with gutters narrower than a line's height, which the detector
// runs lines over (the benchmark scores the whole set), and a large page of small print that
// the detector first sees with its text 5 px tall: every line must come back.
TEST(PpOcrLayout, ReadsRealPagesAndLargeSmallPrintInOrder) {
    QUILLORY_REQUIRE_PPOCR(engine);
    const std::pair<std::string, double> bounds[] = {
        {"01-paper-2col-s2orc-pipeline", 0.02},       // a page number set in the gutter
        {"06-paper-2col-lorem-narrow-gutter", 0.02},  // every line of both columns joined
        {"07-multi-col-federal-register-p1", 0.03},   // three columns, 0.7 line heights apart
        {"dense-5250x6280", 0.01}};
    std::vector<LayoutPage> pages = LoadRealPages();
    pages.push_back(RenderDensePage());
    std::size_t checked = 0;
    for (const LayoutPage& page : pages)
        for (const auto& [name, bound] : bounds) {
            if (!page.kind.ends_with(name))
                continue;
            std::vector<std::string> read;
            for (const auto& line : engine->Recognize(page.png))
                read.push_back(line.words);
            ErrorCount errors;
            errors.Add(page.lines, read);
            EXPECT_LE(errors.Rate(), bound) << page.kind << ": " << Joined(read);
            ++checked;
        }
    EXPECT_EQ(checked, std::size(bounds));
}

}  // namespace
}  // namespace quillory::testing
